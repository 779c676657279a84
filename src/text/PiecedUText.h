// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringView>

#include <unicode/utext.h>

namespace quillsift::text {

/// A text kept in pieces of UTF-16, as a long paragraph's is kept in blocks.
class PiecedText
{
  public:
    /// A stretch of the text and the position it begins at.
    struct Piece {
        QStringView text;
        qint64 start = 0;
    };
    virtual qint64 size() const = 0;
    /// The piece holding the character at position (0 <= position < size()); never empty.
    virtual Piece pieceAt(qint64 position) const = 0;

  protected:
    ~PiecedText() = default;
};

/// Shows ICU a PiecedText as a UText whose chunks are its pieces, so that a break iterator reads
/// a text of any length where it lies, without a copy of it. It owns the UText; the text is only
/// read, and must outlive the UText and every ICU object given it and stay as it is meanwhile.
class PiecedUText
{
  public:
    explicit PiecedUText(const PiecedText& text);
    ~PiecedUText();
    PiecedUText(const PiecedUText&) = delete;
    PiecedUText& operator=(const PiecedUText&) = delete;

    UText* get()
    {
        return &m_text;
    }

  private:
    UText m_text = UTEXT_INITIALIZER;
};

} // namespace quillsift::text
