// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <memory>
#include <vector>

#include <unicode/uversion.h>

U_NAMESPACE_BEGIN
class BreakIterator;
U_NAMESPACE_END

namespace quillsift::text {

/// Splits one paragraph's text into word units: a run of letters or digits as ICU's word
/// boundaries delimit it, or any other single character, each with the spaces that follow it;
/// spaces that open the paragraph are a unit of their own. Each segmenter owns its ICU iterator
/// and the vector it finds the ends in, so separate documents can be segmented on separate threads.
class WordSegmenter
{
  public:
    WordSegmenter();
    ~WordSegmenter();
    WordSegmenter(const WordSegmenter&) = delete;
    WordSegmenter& operator=(const WordSegmenter&) = delete;

    /// The end offset of every unit of text, ascending; the last one is text.size().
    std::vector<quint32> unitEnds(const QString& text);

    /// Whether c goes with the unit before it, whatever that is: a combining mark, a format
    /// character such as ZWNJ, or a zero-width joiner, which Unicode's word rules never part from
    /// what precedes them. After a space, the space's unit takes it in.
    static bool attaches(char32_t c);
    /// Whether a unit that begins with c right after a space keeps its boundaries whatever stands
    /// before the space: c is neither a space nor a character the space's unit takes in.
    static bool standsFreeAfterSpace(char32_t c);

  private:
    std::unique_ptr<icu::BreakIterator> m_iterator;
    std::vector<quint32> m_ends;
};

} // namespace quillsift::text
