// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace quillsift::docx {

/// The characters of one XML part, made into what every reader accepts: UTF-8 holding only
/// characters XML allows. Works on the part's bytes alone, before any parser sees them, so a
/// part whose encoding or characters a lenient parser would pass on unchanged is mended here
/// once, whether it is read in line mode, in word mode or just written back.
/// - A part in UTF-16, or in another encoding its declaration names (windows-1252, ISO-8859-1,
///   Shift_JIS, ...), is decoded and written as UTF-8, its declaration saying so.
/// - Bytes that are not UTF-8 (overlong forms, encoded surrogates, stray or missing continuation
///   bytes, values past U+10FFFF) become U+FFFD, one for each broken sequence.
/// - Characters XML does not allow (C0 controls other than tab, line feed and carriage return,
///   U+FFFE, U+FFFF), whether raw or written as character references (which also covers
///   references to surrogates, to NUL and past U+10FFFF), are left out.
class XmlText
{
  public:
    /// What repair changed in a part.
    struct Repairs {
        /// The encoding the part was decoded from; empty when it was UTF-8 already.
        QString decodedFrom;
        qint64 forbiddenCharacters = 0;
        qint64 invalidSequences = 0;

        bool changedText() const
        {
            return forbiddenCharacters > 0 || invalidSequences > 0;
        }
    };

    /// Repairs bytes in place. Throws HostError naming fileName and partName when the part is
    /// in an encoding that cannot be decoded, or holds bytes that encoding does not have.
    static Repairs repair(const QString& fileName, const QString& partName, QByteArray& bytes);

    /// Whether c is white space as XML counts it.
    static bool isSpace(char c)
    {
        return c == ' ' || c == '\t' || c == '\r' || c == '\n';
    }

    /// What repairs did to partName, in sentences for the user; empty when the part was
    /// UTF-8 holding only what XML allows.
    static QStringList describe(const QString& partName, const Repairs& repairs);
};

} // namespace quillsift::docx
