// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <random>

namespace quillsift::testing {

/// Random paragraphs in the scripts whose word boundaries are hardest to keep after an edit:
/// long runs of Chinese, of Japanese with kana and of Thai, which ICU segments with a dictionary
/// as a whole, so that removing a word can move the boundaries of the words around it; Arabic
/// with combining marks, Persian with zero-width non-joiners, Devanagari and emoji joined by
/// ZWJ, each of them also right after a space; and prose of many scripts with punctuation. Words
/// repeat often, so that the word removal has much to remove.
class MultilingualText
{
  public:
    enum class Kind {
        Chinese,
        Japanese,
        Thai,
        MarksAfterSpaces,
        Mixed,
    };
    static constexpr int kinds = 5;

    explicit MultilingualText(unsigned seed);

    /// A paragraph of about words words of kind.
    QString paragraph(Kind kind, int words);
    /// A paragraph of a kind drawn at random, long or short.
    QString paragraph();

  private:
    std::mt19937 m_random;
};

} // namespace quillsift::testing
