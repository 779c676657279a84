// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

namespace quillsift::docx {

/// Converts Word 97-2003, RTF and OpenDocument text to .docx with LibreOffice, in a private
/// temporary folder that is removed afterwards. The source file itself is never handed to
/// LibreOffice: it gets a copy of the bytes already read, so it cannot lock or touch the file.
class OfficeConverter
{
  public:
    /// The LibreOffice executable: $QUILLSIFT_SOFFICE when set (tests point it at a missing file
    /// to play an absent LibreOffice), otherwise soffice or libreoffice on the PATH. Empty when none.
    static QString executable();

    /// The .docx bytes of bytes, a file of the given kind ("doc", "rtf", "odt").
    /// Throws HostError naming fileName when LibreOffice is absent or fails.
    static QByteArray toDocx(const QString& fileName, const QByteArray& bytes, const QString& kind);
};

} // namespace quillsift::docx
