// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <cstdint>
#include <unordered_set>
#include <vector>

namespace quillsift::testing {

/// The text of one in-memory document and everything derived from it: its word and paragraph
/// units and the live positions of every range handed out over it.
///
/// This is a test double and a differential oracle, so it favours being obviously right over
/// being fast: units are recomputed from the whole text after every change.
class TextStory
{
  public:
    /// A stretch of the text owned by a live range; the story moves it when text is removed.
    struct Span {
        qint64 start = 0;
        qint64 end = 0;
    };

    /// One unit: its characters run from start to charEnd, the spaces attached to it up to end.
    struct Unit {
        qint64 start = 0;
        qint64 charEnd = 0;
        qint64 end = 0;
    };

    explicit TextStory(QString text);

    const QString& text() const
    {
        return m_text;
    }
    qint64 length() const
    {
        return m_text.size();
    }

    const std::vector<Unit>& words() const;
    const std::vector<Unit>& paragraphs() const;

    void track(Span* span);
    void untrack(Span* span);

    /// Range.Delete: removes the characters between start and end except the marks the file
    /// format cannot lose (the last paragraph mark of the story, every end-of-cell pair).
    void deleteText(qint64 start, qint64 end);
    /// Removes exactly the characters between start and end, moving every live span.
    void removeExactly(qint64 start, qint64 end);
    /// Replaces the characters between start and end; the span that asked covers the new text.
    void replace(qint64 start, qint64 end, const QString& replacement, Span* owner);

    /// The whole-word, case-insensitive, literal matches of findText between start and end,
    /// left to right and not overlapping. Without wholeWord a match may start and end anywhere.
    std::vector<Span> findAll(qint64 start, qint64 end, const QString& findText, bool wholeWord) const;

    /// Full Unicode case folding, as the host's search compares text.
    static QString fold(const QString& text);

  private:
    void invalidate();
    bool isProtected(qint64 position) const;
    bool isParagraphStart(qint64 position) const;

    QString m_text;
    std::unordered_set<Span*> m_spans;
    mutable bool m_unitsValid = false;
    mutable std::vector<Unit> m_words;
    mutable std::vector<Unit> m_paragraphs;
};

} // namespace quillsift::testing
