// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Package.h"

#include "engine/FormattedText.h"

namespace quillsift::docx {

/// Range.FormattedText of the in-process host: the whole package the range lives in (styles,
/// numbering, media, notes, headers and footers come along) and which stretch of its story to keep.
class DocxFormattedText : public engine::FormattedText
{
  public:
    DocxFormattedText(Package package, qint64 start, qint64 end, QString sourcePath, bool plainText);

    /// It holds a package of its own.
    bool standsAlone() const override
    {
        return true;
    }

    const Package& package() const
    {
        return m_package;
    }
    qint64 start() const
    {
        return m_start;
    }
    qint64 end() const
    {
        return m_end;
    }
    const QString& sourcePath() const
    {
        return m_sourcePath;
    }
    bool isPlainText() const
    {
        return m_plainText;
    }

  private:
    Package m_package;
    qint64 m_start = 0;
    qint64 m_end = 0;
    QString m_sourcePath;
    bool m_plainText = false;
};

} // namespace quillsift::docx
