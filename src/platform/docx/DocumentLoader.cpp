// SPDX-License-Identifier: GPL-3.0-or-later
#include "DocumentLoader.h"

#include "OfficeConverter.h"
#include "PlainText.h"

#include "engine/HostError.h"

#include <QFile>
#include <QFileInfo>

namespace quillsift::docx {

using engine::HostError;

namespace {
bool holdsEncryptionInfo(const QByteArray& bytes)
{
    // The stream's name as an OLE directory entry spells it: UTF-16LE.
    static const QByteArray name = QByteArray::fromRawData("E\0n\0c\0r\0y\0p\0t\0i\0o\0n\0I\0n\0f\0o\0", 28);
    return bytes.contains(name);
}
} // namespace

DocumentLoader::Loaded DocumentLoader::load(const QString& fileName)
{
    QFile file(fileName);
    const QFileInfo info(fileName);
    if (info.isDir()) {
        throw HostError(fileName, QStringLiteral("this is a folder, not a document"));
    }
    // Opening a pipe or a device would wait for a writer or read without end.
    if (info.exists() && !info.isFile()) {
        throw HostError(fileName, QStringLiteral("this is not a regular file (a pipe, socket or device)"));
    }
    if (!file.open(QIODevice::ReadOnly)) {
        throw HostError(fileName, QStringLiteral("the file cannot be read (%1)").arg(file.errorString()));
    }
    if (file.size() > maxFileSize) {
        throw HostError(fileName, QStringLiteral("the file is larger than 1 GiB"));
    }
    const QByteArray bytes = file.readAll();
    file.close();
    if (bytes.isEmpty()) {
        throw HostError(fileName, QStringLiteral("the file is empty"));
    }

    Loaded loaded;
    if (Package::looksLikeCompoundFile(bytes)) {
        if (holdsEncryptionInfo(bytes)) {
            throw HostError(fileName, QStringLiteral("the document is encrypted or password-protected"));
        }
        loaded.package = Package::fromZip(fileName, OfficeConverter::toDocx(fileName, bytes, QStringLiteral("doc")));
        return loaded;
    }
    if (Package::looksLikeZip(bytes)) {
        loaded.package = Package::fromZip(fileName, bytes);
        const Package::Entry* mimetype = loaded.package.find(QStringLiteral("mimetype"));
        if (mimetype && mimetype->data.startsWith("application/vnd.oasis.opendocument.text")) {
            loaded.package =
                Package::fromZip(fileName, OfficeConverter::toDocx(fileName, bytes, QStringLiteral("odt")));
        }
        return loaded;
    }
    if (bytes.startsWith("{\\rtf")) {
        loaded.package = Package::fromZip(fileName, OfficeConverter::toDocx(fileName, bytes, QStringLiteral("rtf")));
        return loaded;
    }
    if (info.suffix().compare(QLatin1String("txt"), Qt::CaseInsensitive) == 0) {
        loaded.package = PlainText::toPackage(PlainText::lines(PlainText::decode(fileName, bytes)));
        loaded.plainText = true;
        return loaded;
    }
    throw HostError(fileName, QStringLiteral("the file is not a Word document, nor plain text, RTF or OpenDocument "
                                             "text"));
}

} // namespace quillsift::docx
