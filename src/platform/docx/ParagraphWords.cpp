// SPDX-License-Identifier: GPL-3.0-or-later
#include "ParagraphWords.h"

#include "text/PiecedUText.h"

#include <algorithm>

#include <future>
#include <system_error>

namespace quillsift::docx {

using text::WordSegmenter;

namespace {

/// The character at position of text, a whole code point.
char32_t codePointAt(const ParagraphText& text, qint64 position)
{
    const char16_t unit = text[position].unicode();
    if (QChar::isHighSurrogate(unit) && position + 1 < text.size() && text[position + 1].isLowSurrogate()) {
        return QChar::surrogateToUcs4(unit, text[position + 1].unicode());
    }
    if (QChar::isLowSurrogate(unit) && position > 0 && text[position - 1].isHighSurrogate()) {
        return QChar::surrogateToUcs4(text[position - 1].unicode(), unit);
    }
    return unit;
}

/// Whether the unit that starts at position of text could be cut differently by what stands
/// before it. Only a unit that follows a space and begins with something a space never takes in
/// stands free of it: Unicode's word rules join nothing else across a space, and the runs that
/// ICU segments with a dictionary (Chinese, Japanese, Thai, Lao, Khmer, Burmese), whose every
/// boundary can depend on the whole run, end at one.
bool dependsOnWhatIsBefore(const ParagraphText& text, qint64 position)
{
    if (position <= 0 || position >= text.size()) {
        return false;
    }
    return text[position - 1] != u' ' || !WordSegmenter::standsFreeAfterSpace(codePointAt(text, position));
}

/// A blocked paragraph's text as the segmenter reads it, a block at a time.
class BlockedText final : public text::PiecedText
{
  public:
    explicit BlockedText(const ParagraphText& text)
        : m_text(text)
    {
    }
    qint64 size() const override
    {
        return m_text.size();
    }
    Piece pieceAt(qint64 position) const override
    {
        const auto [block, start] = m_text.blockAt(position);
        return {block->utf16(), block->latin1(), start};
    }

  private:
    const ParagraphText& m_text;
};

} // namespace

ParagraphWords::ParagraphWords(std::vector<Paragraph>& paragraphs, const text::ParagraphIndex& index,
                               platform::ProcessorShare* processors)
    : m_paragraphs(paragraphs)
    , m_index(index)
    , m_processors(processors)
{
}

void ParagraphWords::segment(WordSegmenter& segmenter, Paragraph& paragraph)
{
    const ParagraphText& text = paragraph.text();
    if (!text.isBlocked()) {
        paragraph.setUnitEnds(UnitEnds(segmenter.unitEnds(text.toString()), paragraph.length()));
        return;
    }
    // A long paragraph is read where its blocks lie and its ends cut into blocks as they come:
    // neither its text nor its ends are ever held whole a second time.
    const BlockedText blocks(text);
    UnitEnds::Builder ends;
    segmenter.unitEnds(blocks, ends);
    paragraph.setUnitEnds(std::move(ends).finish(paragraph.length()));
}

const UnitEnds& ParagraphWords::unitEnds(std::size_t slot)
{
    Paragraph& paragraph = m_paragraphs[slot];
    if (paragraph.unitEnds().empty() && paragraph.isAlive()) {
        segment(m_segmenter, paragraph);
    }
    return paragraph.unitEnds();
}

bool ParagraphWords::isAsciiWord(QStringView text)
{
    // ASCII letters, digits and underscores never part (Unicode's word rules join letters and
    // digits in any order, and the underscore to both): most words are told without segmenting.
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) {
        const char16_t u = c.unicode();
        return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9') || u == u'_';
    });
}

bool ParagraphWords::isOneUnit(const QString& text)
{
    return m_segmenter.unitEnds(text).size() == 1;
}

void ParagraphWords::segmentAll()
{
    // Segmenting every paragraph is most of what counting a long document's words costs: a second
    // thread, with a segmenter of its own, takes the paragraphs of the second half of the text.
    auto segmentFrom = [this](WordSegmenter& segmenter, std::size_t from, std::size_t to) {
        for (std::size_t slot = from; slot < to; ++slot) {
            Paragraph& paragraph = m_paragraphs[slot];
            if (paragraph.isAlive() && paragraph.unitEnds().empty()) {
                segment(segmenter, paragraph);
            }
        }
    };
    std::size_t half = m_paragraphs.size();
    std::future<void> secondHalf;
    const qint64 length = m_index.length();
    const platform::ProcessorShare::Lease lent(length >= segmentInTwo ? m_processors : nullptr, 1);
    if (lent.count() > 0) {
        half = m_index.paragraphAt(length / 2);
        try {
            secondHalf = std::async(std::launch::async, [&, half] {
                WordSegmenter segmenter;
                segmentFrom(segmenter, half, m_paragraphs.size());
            });
        } catch (const std::system_error&) {
            half = m_paragraphs.size(); // no thread to be had: all on this one
        }
    }
    segmentFrom(m_segmenter, 0, half);
    if (secondHalf.valid()) {
        secondHalf.get();
    }
}

std::optional<ParagraphWords::UnitRemoval> ParagraphWords::unitRemoval(std::size_t slot, qint64 from, qint64 to) const
{
    const Paragraph& paragraph = m_paragraphs[slot];
    const UnitEnds& ends = paragraph.unitEnds();
    const ParagraphText& text = paragraph.text();
    if (ends.empty()) {
        return std::nullopt;
    }
    const auto unit = ends.upperBound(from);
    if (unit >= ends.size()) {
        return std::nullopt;
    }
    const qint64 unitStart = unit > 0 ? ends[unit - 1] : 0;
    const qint64 unitEnd = ends[unit];
    if (unitStart != from || unitEnd < to || unitEnd >= text.size() || (from > 0 && text[from - 1] != u' ')) {
        return std::nullopt;
    }
    if (unitEnd == to) {
        // The whole unit goes: what follows keeps its boundaries when it is a mark that neither
        // joins a space nor depends on what comes before it.
        const char16_t next = text[to].unicode();
        const bool mark = next < 0x80 && next != u' ' && next != u'_' && !QChar::isLetterOrNumber(next);
        return mark ? std::optional(UnitRemoval{unit, false}) : std::nullopt;
    }
    for (qint64 i = to; i < unitEnd; ++i) {
        if (text[i] != u' ') {
            return std::nullopt;
        }
    }
    // What follows the spaces must be something that a space never takes in.
    if (!WordSegmenter::standsFreeAfterSpace(codePointAt(text, unitEnd))) {
        return std::nullopt;
    }
    return UnitRemoval{unit, true};
}

ParagraphWords::Stretch ParagraphWords::textChanged(std::size_t slot, qint64 oldLength, qint64 changeAt,
                                                    std::optional<UnitRemoval> removal)
{
    Paragraph& paragraph = m_paragraphs[slot];
    const qint64 newLength = paragraph.length();
    const qint64 delta = newLength - oldLength;
    // Only the units around the change are new: everywhere else the text, and so its words, is as
    // it was.
    if (removal && removal->leavesSpaces) {
        // The spaces left behind join the unit before, or stand alone at the paragraph's start.
        const std::size_t unit = removal->unit;
        const std::size_t first = unit > 0 ? unit - 1 : 0;
        const auto spacesEnd = quint32(qint64(paragraph.unitEnds()[unit]) + delta);
        paragraph.spliceUnits(first, unit + 1, std::span(&spacesEnd, 1));
        return {first > 0 ? qint64(paragraph.unitEnds()[first - 1]) : 0, spacesEnd};
    }
    if (removal) {
        // The unit is gone and no other changed: there is no new word.
        paragraph.spliceUnits(removal->unit, removal->unit + 1, {});
        return {changeAt, changeAt};
    }
    if (!paragraph.unitEnds().empty() && oldLength > longParagraph) {
        return resegmentAround(paragraph, changeAt, delta);
    }
    paragraph.setUnitEnds(UnitEnds());
    return {0, newLength};
}

// The units of a long paragraph around a change, segmented again in a window and spliced into
// the rest. A window's edges cut the text where it goes on, so its units near them can differ
// from a reading of the whole paragraph; an edge is taken as it is only where it stands after a
// space, else the window's units are spliced in from where they agree with the old ones on
// `agreeing` boundaries in a row: there the cut no longer shows, and what lies beyond is as it
// was. In a run that a dictionary segments, the reading of the whole run decides every boundary,
// but a change moves only the boundaries of a few words around it, so the window widens (twice
// as wide each time) only until both sides agree, and a paragraph of one long run costs a few
// dozen characters an edit, not the run.
ParagraphWords::Stretch ParagraphWords::resegmentAround(Paragraph& paragraph, qint64 changeAt, qint64 delta)
{
    const UnitEnds& old = paragraph.unitEnds();
    const ParagraphText& text = paragraph.text();
    const qint64 changeEnd = changeAt + std::max<qint64>(-delta, 0);
    // Old boundaries at or before changeAt stand where they stood; those at or after changeEnd
    // moved by delta.
    const qint64 rightFrom = changeAt + std::max<qint64>(delta, 0);
    const std::size_t first = old.upperBound(changeAt);
    const std::size_t last = std::min(old.upperBound(changeEnd), old.size() - 1);
    const std::size_t count = old.size();
    // The old boundary index j ends unit j; oldBoundary(j) in the new text's offsets.
    auto oldBoundary = [&](std::size_t j) { return qint64(old[j]) + (qint64(old[j]) >= changeEnd ? delta : 0); };
    for (std::size_t reach = windowUnits;; reach *= 2) {
        std::size_t before = first > reach ? first - reach : 0;
        std::size_t after = std::min(last + reach, count - 1) + 1;
        // Out to a place after a space, where one is near.
        for (std::size_t extra = 0; extra < reach && before > 0 && dependsOnWhatIsBefore(text, old[before - 1]);
             ++extra) {
            --before;
        }
        for (std::size_t extra = 0;
             extra < reach && after < count && dependsOnWhatIsBefore(text, oldBoundary(after - 1)); ++extra) {
            ++after;
        }
        const bool openLeft = before > 0 && dependsOnWhatIsBefore(text, old[before - 1]);
        const bool openRight = after < count && dependsOnWhatIsBefore(text, oldBoundary(after - 1));
        const qint64 left = before > 0 ? qint64(old[before - 1]) : 0;
        const qint64 right = oldBoundary(after - 1);
        std::vector<quint32> window = m_segmenter.unitEnds(text.mid(left, right - left));
        for (quint32& end : window) {
            end = quint32(left + end);
        }
        // Old units [keepUntil, replaceUntil) give way to the window's units [windowFrom, windowTo).
        std::size_t keepUntil = before;
        std::size_t replaceUntil = after;
        std::size_t windowFrom = 0;
        std::size_t windowTo = window.size();
        // Whether the window's boundaries from i on (or up to i) are the old ones from j on (up to j).
        auto agreesForward = [&](std::size_t i, std::size_t j) {
            for (std::size_t n = 0; n < agreeing; ++n) {
                if (i + n + 1 >= window.size() || j + n >= count || qint64(window[i + n]) > changeAt ||
                    old[j + n] != window[i + n]) {
                    return false;
                }
            }
            return true;
        };
        auto agreesBackward = [&](std::size_t i, std::size_t j) {
            for (std::size_t n = 0; n < agreeing; ++n) {
                if (i < n || j < n || qint64(window[i - n]) < rightFrom || qint64(old[j - n]) < changeEnd ||
                    oldBoundary(j - n) != window[i - n]) {
                    return false;
                }
            }
            return true;
        };
        bool agreed = true;
        if (openLeft) {
            agreed = false;
            for (std::size_t i = 0; i < window.size() && qint64(window[i]) <= changeAt && !agreed; ++i) {
                const std::size_t j = old.upperBound(qint64(window[i]) - 1);
                if (j < count && agreesForward(i, j)) {
                    keepUntil = j + 1;
                    windowFrom = i + 1;
                    agreed = true;
                }
            }
        }
        if (agreed && openRight) {
            agreed = false;
            // The window's last boundary is its cut, so the search starts before it.
            for (std::size_t i = window.size() - 1; i-- > windowFrom && qint64(window[i]) >= rightFrom && !agreed;) {
                const std::size_t j = old.upperBound(qint64(window[i]) - delta - 1);
                if (j < count && agreesBackward(i, j)) {
                    replaceUntil = j + 1;
                    windowTo = i + 1;
                    agreed = true;
                }
            }
        }
        if (!agreed && (before > 0 || after < count)) {
            continue;
        }
        const qint64 from = windowFrom > 0 ? qint64(window[windowFrom - 1]) : left;
        const qint64 to = openRight ? qint64(window[windowTo - 1]) : right;
        paragraph.spliceUnits(keepUntil, replaceUntil,
                              std::span<const quint32>(window.data() + windowFrom, windowTo - windowFrom));
        return {from, to};
    }
}

} // namespace quillsift::docx
