// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLatin1StringView>
#include <QStringView>

#include <unicode/utext.h>

namespace quillsift::text {

/// A text kept in pieces, as a long paragraph's is kept in blocks: each of them UTF-16, or a byte
/// a character where none of its characters is past U+00FF.
class PiecedText
{
  public:
    /// A stretch of the text, in one of the two forms, and the position it begins at.
    struct Piece {
        QStringView text;
        QLatin1StringView latin1;
        qint64 start = 0;
    };
    virtual qint64 size() const = 0;
    /// The piece holding the character at position (0 <= position < size()); never empty.
    virtual Piece pieceAt(qint64 position) const = 0;

  protected:
    ~PiecedText() = default;
};

/// Shows ICU a PiecedText as a UText whose chunks are its pieces, so that a break iterator reads
/// a text of any length where it lies, without a copy of it; a piece kept a byte a character is
/// widened, up to widenedLength characters of it at a time, into room the UText (and each clone
/// of it) owns. It owns the UText; the text is only read, and must outlive the UText and every
/// ICU object given it and stay as it is meanwhile.
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

    static constexpr int widenedLength = 2048;

  private:
    UText m_text = UTEXT_INITIALIZER;
};

} // namespace quillsift::text
