// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Package.h"

#include <QByteArray>
#include <QStringEncoder>
#include <QStringView>

namespace quillsift::docx {

/// Plain text in and out of the host: a .txt file becomes a package with one paragraph per line,
/// and a story's paragraphs are written back as UTF-8 lines.
class PlainText
{
  public:
    /// A minimal Word package whose body holds one paragraph per line of a text file's bytes:
    /// UTF-8 (with or without a byte-order mark) or UTF-16 with a byte-order mark, lines split at
    /// CR LF, LF or CR, a final line break ending the last line. The text is decoded and written
    /// as the part's XML a piece at a time, so that neither the decoded text nor a document tree of
    /// it is ever held whole. Throws HostError naming fileName when the bytes are not text in one
    /// of those.
    static Package toPackage(const QString& fileName, const QByteArray& bytes);
    /// The package of a new document: one empty paragraph.
    static Package emptyPackage();
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
