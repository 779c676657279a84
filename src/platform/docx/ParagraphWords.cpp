// SPDX-License-Identifier: GPL-3.0-or-later
#include "ParagraphWords.h"

#include <future>
#include <system_error>

#include <unicode/uchar.h>

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
/// before it. Only a unit that follows a space and begins with something that does not attach to
/// what is before it (a space, a mark, a joiner) stands free of it: Unicode's word rules join
/// nothing else across a space, and the runs that ICU segments with a dictionary (Chinese,
/// Japanese, Thai, Lao, Khmer, Burmese), whose every boundary depends on the whole run, end at
/// one. Elsewhere what is before can matter, so a window of changed text reaches out to such a
/// place on either side.
bool dependsOnWhatIsBefore(const ParagraphText& text, qint64 position)
{
    if (position <= 0 || position >= text.size()) {
        return false;
    }
    if (text[position - 1] != u' ') {
        return true;
    }
    const char32_t c = codePointAt(text, position);
    if (c == u' ') {
        return true;
    }
    const int wordBreak = u_getIntPropertyValue(UChar32(c), UCHAR_WORD_BREAK);
    return wordBreak == U_WB_EXTEND || wordBreak == U_WB_FORMAT || wordBreak == U_WB_ZWJ;
}

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
    paragraph.setUnitEnds(UnitEnds(segmenter.unitEnds(paragraph.text().toString()), paragraph.length()));
}

const UnitEnds& ParagraphWords::unitEnds(std::size_t slot)
{
    Paragraph& paragraph = m_paragraphs[slot];
    if (paragraph.unitEnds().empty() && paragraph.isAlive()) {
        segment(m_segmenter, paragraph);
    }
    return paragraph.unitEnds();
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
    // What follows the spaces must be something that a space never joins.
    const int wordBreak = u_getIntPropertyValue(UChar32(codePointAt(text, unitEnd)), UCHAR_WORD_BREAK);
    if (wordBreak == U_WB_EXTEND || wordBreak == U_WB_FORMAT || wordBreak == U_WB_ZWJ || wordBreak == U_WB_WSEGSPACE) {
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
        // Word boundaries depend on a few characters around them, so in a long paragraph only a
        // window of units around the change is segmented again and spliced into the rest.
        const UnitEnds& old = paragraph.unitEnds();
        const qint64 changeEnd = changeAt + std::max<qint64>(-delta, 0);
        const auto first = old.upperBound(changeAt);
        const auto last = old.upperBound(changeEnd);
        const std::size_t keepBefore = first >= windowUnits ? first - windowUnits + 1 : 0;
        const std::size_t keepFrom = std::min(last + windowUnits, old.size() - 1) + 1;
        std::size_t before = keepBefore;
        std::size_t from = keepFrom;
        const ParagraphText& text = paragraph.text();
        // The window ends where what lies outside it reads the same whatever is inside.
        while (before > 0 && dependsOnWhatIsBefore(text, old[before - 1])) {
            --before;
        }
        while (from < old.size() && dependsOnWhatIsBefore(text, qint64(old[from - 1]) + delta)) {
            ++from;
        }
        const qint64 left = before > 0 ? old[before - 1] : 0;
        const qint64 right = qint64(old[from - 1]) + delta;
        std::vector<quint32> window = m_segmenter.unitEnds(paragraph.text().mid(left, right - left));
        for (quint32& end : window) {
            end = quint32(left + end);
        }
        paragraph.spliceUnits(before, from, window);
        return {left, right};
    }
    paragraph.setUnitEnds(UnitEnds());
    return {0, newLength};
}

} // namespace quillsift::docx
