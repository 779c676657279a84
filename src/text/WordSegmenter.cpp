// SPDX-License-Identifier: GPL-3.0-or-later
#include "WordSegmenter.h"

#include "engine/HostError.h"

#include <unicode/brkiter.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

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

std::vector<quint32> WordSegmenter::unitEnds(const QString& text)
{
    // The ends are found in a vector kept from call to call and handed out in one of their exact
    // size: a document keeps every paragraph's, and one grown a push at a time holds up to twice
    // as many.
    std::vector<quint32>& ends = m_ends;
    ends.clear();
    const auto* data = reinterpret_cast<const UChar*>(text.utf16());
    const int length = int(text.size());
    if (length == 0) {
        return {};
    }
    // A read-only alias: ICU reads the paragraph where it lies, without a copy.
    icu::UnicodeString alias(false, data, length);
    m_iterator->setText(alias);

    int start = m_iterator->first();
    for (int end = m_iterator->next(); end != icu::BreakIterator::DONE; start = end, end = m_iterator->next()) {
        if (m_iterator->getRuleStatus() >= UBRK_WORD_NONE_LIMIT) {
            ends.push_back(quint32(end));
            continue;
        }
        // Anything that is not a word: one unit per character, extending marks kept with their base.
        int i = start;
        while (i < end) {
            UChar32 c;
            const int begin = i;
            U16_NEXT(data, i, end, c);
            if (c == 0x20) {
                // Spaces join the unit before them; only at the paragraph's start do they stand alone.
                if (ends.empty()) {
                    ends.push_back(quint32(i));
                } else {
                    ends.back() = quint32(i);
                }
                continue;
            }
            if (attaches(char32_t(c)) && begin > start && !ends.empty()) {
                ends.back() = quint32(i);
            } else {
                ends.push_back(quint32(i));
            }
        }
    }
    return {ends.begin(), ends.end()};
}

} // namespace quillsift::text
