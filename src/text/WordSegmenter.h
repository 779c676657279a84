// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <memory>
#include <vector>

#include <unicode/uversion.h>

struct UText;
U_NAMESPACE_BEGIN
class BreakIterator;
U_NAMESPACE_END

namespace quillsift::text {

class PiecedText;

/// Takes a text's unit ends one at a time, in order, as the segmenter finds them.
class UnitEndSink
{
  public:
    virtual void add(quint32 end) = 0;

  protected:
    ~UnitEndSink() = default;
};

/// Splits one paragraph's text into word units: a run of letters or digits as ICU's word
/// boundaries delimit it, or any other single character, each with the spaces that follow it;
/// spaces that open the paragraph are a unit of their own. Each segmenter owns its ICU iterator
/// and the vector it finds a short text's ends in, so separate documents can be segmented on
/// separate threads.
class WordSegmenter
{
  public:
    WordSegmenter();
    ~WordSegmenter();
    WordSegmenter(const WordSegmenter&) = delete;
    WordSegmenter& operator=(const WordSegmenter&) = delete;

    /// The end offset of every unit of text, ascending; the last one is text.size().
    std::vector<quint32> unitEnds(const QString& text);
    /// The same for a text of any length kept in pieces, read where they lie: each end goes to
    /// ends as it is found, so that no copy of the text or of its ends is made.
    void unitEnds(const PiecedText& text, UnitEndSink& ends);

    /// Whether c goes with the unit before it, whatever that is: a combining mark, a format
    /// character such as ZWNJ, or a zero-width joiner, which Unicode's word rules never part from
    /// what precedes them. After a space, the space's unit takes it in.
    static bool attaches(char32_t c);
    /// Whether a unit that begins with c right after a space keeps its boundaries whatever stands
    /// before the space: c is neither a space nor a character the space's unit takes in.
    static bool standsFreeAfterSpace(char32_t c);

  private:
    void findEnds(UText* text, UnitEndSink& ends);

    std::unique_ptr<icu::BreakIterator> m_iterator;
    std::vector<quint32> m_ends;
};

} // namespace quillsift::text
