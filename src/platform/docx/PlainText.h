// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Package.h"

#include <QByteArray>
#include <QStringEncoder>
#include <QStringList>
#include <QStringView>

namespace quillsift::docx {

/// Plain text in and out of the host: a .txt file becomes a package with one paragraph per line,
/// and a story's paragraphs are written back as UTF-8 lines.
class PlainText
{
  public:
    /// Decodes UTF-8 (with or without a byte-order mark) or UTF-16 with a byte-order mark.
    /// Throws HostError naming fileName when the bytes are not text in one of those.
    static QString decode(const QString& fileName, const QByteArray& bytes);
    /// The lines of text, split at CR LF, LF or CR; a final line break ends the last line.
    static QList<QStringView> lines(QStringView text);
    /// A minimal Word package whose body holds one paragraph per line (at least one).
    static Package toPackage(const QList<QStringView>& lines);
    /// Encodes a story's text (paragraph texts, marks included) as UTF-8 lines, a piece at a time
    /// in order, so that a long text is held once, as UTF-8, rather than as a whole copy, a
    /// cleaned copy and its encoding.
    class Encoder
    {
      public:
        /// How many characters a piece appended at a time should hold at most.
        static constexpr qsizetype pieceLength = 1 << 16;

        /// expectedLength: about how many characters will be appended (room is made for them).
        explicit Encoder(qint64 expectedLength = 0);
        void append(QStringView storyText);
        /// The UTF-8 lines of everything appended.
        QByteArray take();

      private:
        void flush();

        QString m_cleaned;
        QStringEncoder m_utf8{QStringConverter::Utf8};
        QByteArray m_bytes;
    };
};

} // namespace quillsift::docx
