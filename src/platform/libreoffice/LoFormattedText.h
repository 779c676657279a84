// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/FormattedText.h"

#include <QString>

namespace quillsift::libreoffice {

/// Range.FormattedText of the LibreOffice host: the file a document was opened from and which
/// stretch of its story to keep. Writer inserts the file itself into the copy, so everything the
/// body depends on (styles, numbering, pictures, tables, notes) comes along as Writer reads it.
class LoFormattedText : public engine::FormattedText
{
  public:
    LoFormattedText(QString sourcePath, qint64 start, qint64 end, qint64 length);

    const QString& sourcePath() const
    {
        return m_sourcePath;
    }
    qint64 start() const
    {
        return m_start;
    }
    qint64 end() const
    {
        return m_end;
    }
    /// The length of the source's story when the text was read.
    qint64 length() const
    {
        return m_length;
    }

  private:
    QString m_sourcePath;
    qint64 m_start = 0;
    qint64 m_end = 0;
    qint64 m_length = 0;
};

} // namespace quillsift::libreoffice
