// SPDX-License-Identifier: GPL-3.0-or-later
#include "OfficeSockets.h"

#include <QCryptographicHash>
#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

namespace quillsift::libreoffice::OfficeSockets {

namespace {

/// The name soffice gives the pipe that keeps a profile to one soffice: the MD5 of the profile's
/// URL in its UTF-16 code units as they lie in memory, each byte in hexadecimal without a leading
/// zero, as LibreOffice writes it.
QString profilePipeName(const QString& profileUrl)
{
    const QByteArray units(reinterpret_cast<const char*>(profileUrl.utf16()), profileUrl.size() * 2);
    QString name = QStringLiteral("SingleOfficeIPC_");
    for (const char byte : QCryptographicHash::hash(units, QCryptographicHash::Md5)) {
        name += QString::number(quint8(byte), 16);
    }
    return name;
}

} // namespace

QStringList paths(const QString& pipeName, const QString& profileUrl)
{
    // LibreOffice makes its pipes in /tmp, or in /var/tmp where it cannot write to /tmp,
    // whatever TMPDIR says.
    QStringList result;
    const QString user = QString::number(::getuid());
    for (const QString& folder : {QStringLiteral("/tmp"), QStringLiteral("/var/tmp")}) {
        for (const QString& pipe : {pipeName, profilePipeName(profileUrl)}) {
            result << QStringLiteral("%1/OSL_PIPE_%2_%3").arg(folder, user, pipe);
        }
    }
    return result;
}

void removeLeftBy(const QString& pipeName, const QString& profileUrl)
{
    if (pipeName.isEmpty() || profileUrl.isEmpty()) {
        return;
    }
    for (const QString& path : paths(pipeName, profileUrl)) {
        struct stat status {
        };
        if (::lstat(QFile::encodeName(path).constData(), &status) == 0 && S_ISSOCK(status.st_mode)) {
            ::unlink(QFile::encodeName(path).constData());
        }
    }
}

} // namespace quillsift::libreoffice::OfficeSockets
