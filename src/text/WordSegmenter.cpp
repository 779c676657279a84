// SPDX-License-Identifier: GPL-3.0-or-later
#include "WordSegmenter.h"

#include "PiecedUText.h"
#include "engine/HostError.h"

#include <unicode/brkiter.h>
#include <unicode/uchar.h>
#include <unicode/utext.h>

namespace quillsift::text {

WordSegmenter::WordSegmenter()
{
    UErrorCode status = U_ZERO_ERROR;
    m_iterator.reset(icu::BreakIterator::createWordInstance(icu::Locale::getRoot(), status));
    if (U_FAILURE(status) || !m_iterator) {
        throw engine::HostError(QString(), QStringLiteral("the Unicode word segmentation data is not available"));
    }
}

WordSegmenter::~WordSegmenter() = default;

bool WordSegmenter::attaches(char32_t c)
{
    const int wordBreak = u_getIntPropertyValue(UChar32(c), UCHAR_WORD_BREAK);
    return wordBreak == U_WB_EXTEND || wordBreak == U_WB_FORMAT || wordBreak == U_WB_ZWJ;
}

bool WordSegmenter::standsFreeAfterSpace(char32_t c)
{
    // Other spaces (U+3000 and the like) are kept together with a space by the word rules.
    return !attaches(c) && u_getIntPropertyValue(UChar32(c), UCHAR_WORD_BREAK) != U_WB_WSEGSPACE;
}

namespace {

/// Keeps ends in a vector.
class VectorSink final : public UnitEndSink
{
  public:
    explicit VectorSink(std::vector<quint32>& ends)
        : m_ends(ends)
    {
    }
    void add(quint32 end) override
    {
        m_ends.push_back(end);
    }

  private:
    std::vector<quint32>& m_ends;
};

} // namespace

std::vector<quint32> WordSegmenter::unitEnds(const QString& text)
{
    // The ends are found in a vector kept from call to call and handed out in one of their exact
    // size: a document keeps every paragraph's, and one grown a push at a time holds up to twice
    // as many.
    m_ends.clear();
    if (text.isEmpty()) {
        return {};
    }
    // ICU reads the paragraph where it lies, without a copy.
    UErrorCode status = U_ZERO_ERROR;
    UText alias = UTEXT_INITIALIZER;
    utext_openUChars(&alias, reinterpret_cast<const UChar*>(text.utf16()), text.size(), &status);
    if (U_FAILURE(status)) {
        throw engine::HostError(QString(), QStringLiteral("a paragraph could not be segmented into words"));
    }
    VectorSink sink(m_ends);
    findEnds(&alias, sink);
    utext_close(&alias);
    return {m_ends.begin(), m_ends.end()};
}

void WordSegmenter::unitEnds(const PiecedText& text, UnitEndSink& ends)
{
    if (text.size() == 0) {
        return;
    }
    PiecedUText pieces(text);
    findEnds(pieces.get(), ends);
}

void WordSegmenter::findEnds(UText* text, UnitEndSink& ends)
{
    UErrorCode status = U_ZERO_ERROR;
    m_iterator->setText(text, status);
    if (U_FAILURE(status)) {
        throw engine::HostError(QString(), QStringLiteral("a paragraph could not be segmented into words"));
    }
    // A unit's end is handed on once the next unit begins: until then spaces and extending marks
    // may still join it.
    qint64 pending = -1;
    auto begin = [&](qint64 end) {
        if (pending >= 0) {
            ends.add(quint32(pending));
        }
        pending = end;
    };
    qint64 start = m_iterator->first();
    for (qint64 end = m_iterator->next(); end != icu::BreakIterator::DONE; start = end, end = m_iterator->next()) {
        if (m_iterator->getRuleStatus() >= UBRK_WORD_NONE_LIMIT) {
            begin(end);
            continue;
        }
        // Anything that is not a word: one unit per character, extending marks kept with their base.
        utext_setNativeIndex(text, start);
        for (qint64 at = start; at < end;) {
            const UChar32 c = UTEXT_NEXT32(text);
            const qint64 after = UTEXT_GETNATIVEINDEX(text);
            if (c == 0x20) {
                // Spaces join the unit before them; only at the paragraph's start do they stand alone.
                if (pending >= 0) {
                    pending = after;
                } else {
                    begin(after);
                }
            } else if (attaches(char32_t(c)) && at > start && pending >= 0) {
                pending = after;
            } else {
                begin(after);
            }
            at = after;
        }
    }
    if (pending >= 0) {
        ends.add(quint32(pending));
    }
}

} // namespace quillsift::text
