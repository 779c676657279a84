// SPDX-License-Identifier: GPL-3.0-or-later
#include "DocumentLoader.h"

#include "OfficeConverter.h"
#include "PackageIntake.h"
#include "PlainText.h"

#include "engine/FileName.h"
#include "engine/HostError.h"

#include <QFileInfo>

#include <pugixml.hpp>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillsift::docx {

using engine::HostError;

namespace {

bool holdsEncryptionInfo(const QByteArray& bytes)
{
    // The stream's name as an OLE directory entry spells it: UTF-16LE.
    static const QByteArray name = QByteArray::fromRawData("E\0n\0c\0r\0y\0p\0t\0i\0o\0n\0I\0n\0f\0o\0", 28);
    return bytes.contains(name);
}

QString systemCause(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

struct Descriptor {
    int fd = -1;
    ~Descriptor()
    {
        if (fd >= 0) {
            ::close(fd);
        }
    }
};

/// The whole file, read once through its system name, which need not be UTF-8.
QByteArray readFile(const QString& fileName)
{
    Descriptor file;
    // Non-blocking, so that opening a pipe does not wait for a writer; it is refused below.
    file.fd = ::open(engine::FileName::toNative(fileName).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (file.fd < 0) {
        const int error = errno;
        if (error == EISDIR) {
            throw HostError(fileName, QStringLiteral("this is a folder, not a document"));
        }
        throw HostError(fileName, QStringLiteral("the file cannot be read (%1)").arg(systemCause(error)));
    }
    struct stat status {
    };
    if (::fstat(file.fd, &status) != 0) {
        throw HostError(fileName, QStringLiteral("the file cannot be read (%1)").arg(systemCause(errno)));
    }
    if (S_ISDIR(status.st_mode)) {
        throw HostError(fileName, QStringLiteral("this is a folder, not a document"));
    }
    // A pipe or a device would wait for a writer or read without end.
    if (!S_ISREG(status.st_mode)) {
        throw HostError(fileName, QStringLiteral("this is not a regular file (a pipe, socket or device)"));
    }
    if (status.st_size > DocumentLoader::maxFileSize) {
        throw HostError(fileName, QStringLiteral("the file is larger than 1 GiB"));
    }
    QByteArray bytes;
    // Some files (those of /proc among them) say they are empty and are not; the size is a hint.
    bytes.reserve(qsizetype(status.st_size) + 1);
    char chunk[1 << 16];
    for (;;) {
        const ssize_t got = ::read(file.fd, chunk, sizeof chunk);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw HostError(fileName, QStringLiteral("the file cannot be read (%1)").arg(systemCause(errno)));
        }
        if (got == 0) {
            break;
        }
        if (bytes.size() + got > DocumentLoader::maxFileSize) {
            throw HostError(fileName, QStringLiteral("the file is larger than 1 GiB"));
        }
        bytes.append(chunk, qsizetype(got));
    }
    return bytes;
}

/// The OpenDocument media type a package declares, by its mimetype entry or else by its
/// manifest's entry for the package root; empty for any other package.
QString openDocumentType(const Package& package)
{
    static const QString prefix = QStringLiteral("application/vnd.oasis.opendocument.");
    if (const Package::Entry* mimetype = package.find(QStringLiteral("mimetype"))) {
        const QString type = QString::fromLatin1(mimetype->data.trimmed());
        if (type.startsWith(prefix)) {
            return type;
        }
    }
    const Package::Entry* manifest = package.find(QStringLiteral("META-INF/manifest.xml"));
    if (!manifest) {
        return {};
    }
    pugi::xml_document document;
    if (!document.load_buffer(manifest->data.constData(), std::size_t(manifest->data.size()))) {
        return {};
    }
    const auto local = [](const char* name) {
        const char* colon = std::strchr(name, ':');
        return colon ? colon + 1 : name;
    };
    for (pugi::xml_node entry : document.document_element().children()) {
        QString path;
        QString type;
        for (pugi::xml_attribute attribute : entry.attributes()) {
            if (std::strcmp(local(attribute.name()), "full-path") == 0) {
                path = QString::fromUtf8(attribute.value());
            } else if (std::strcmp(local(attribute.name()), "media-type") == 0) {
                type = QString::fromUtf8(attribute.value());
            }
        }
        if (path == QLatin1String("/") && type.startsWith(prefix)) {
            return type;
        }
    }
    return {};
}

/// A Word package read from bytes (a file's, or a conversion's) and made ready to open.
Package wordPackage(const QString& fileName, const QByteArray& bytes)
{
    Package package = Package::fromZip(fileName, bytes);
    PackageIntake::prepare(fileName, package);
    return package;
}

/// Reads bytes as wordPackage does whenever the package as read is asked for again.
SourcePackage wordSource(const QString& fileName, const QByteArray& bytes)
{
    return SourcePackage([fileName, bytes] { return wordPackage(fileName, bytes); });
}

/// A Word package converted from bytes of another format, with the converted bytes as its source.
void loadConverted(DocumentLoader::Loaded& loaded, const QString& fileName, const QByteArray& bytes,
                   const QString& format)
{
    const QByteArray converted = OfficeConverter::toDocx(fileName, bytes, format);
    loaded.package = wordPackage(fileName, converted);
    loaded.source = wordSource(fileName, converted);
}

/// Refuses a document whose parts, size bytes in all unpacked, would take more memory to open
/// than is left, before the work that takes it starts.
void ensureRoom(const QString& fileName, qint64 size, const platform::MemoryBudget& memory)
{
    const qint64 available = memory.available();
    const qint64 needed = size * DocumentLoader::memoryPerByte;
    if (available >= 0 && needed > available) {
        constexpr qint64 mib = 1 << 20;
        throw HostError(fileName, QStringLiteral("opening it would take about %1 MB of memory, and only %2 MB are "
                                                 "free")
                                      .arg((needed + mib - 1) / mib)
                                      .arg(available / mib));
    }
}

qint64 unpackedSize(const Package& package)
{
    qint64 size = 0;
    for (const Package::Entry& entry : package.entries()) {
        size += entry.data.size();
    }
    return size;
}

DocumentLoader::Loaded loadFrom(const QString& fileName, const QByteArray& bytes, const platform::MemoryBudget& memory)
{
    DocumentLoader::Loaded loaded;
    if (Package::looksLikeCompoundFile(bytes)) {
        if (holdsEncryptionInfo(bytes)) {
            throw HostError(fileName, QStringLiteral("the document is encrypted or password-protected"));
        }
        loadConverted(loaded, fileName, bytes, QStringLiteral("doc"));
        return loaded;
    }
    if (Package::looksLikeZip(bytes)) {
        // An OpenDocument package is told by its own declarations and goes to the conversion as
        // it is: what a Word package must be does not apply to it.
        Package package = Package::fromZip(fileName, bytes);
        const QString openDocument = openDocumentType(package);
        if (openDocument.isEmpty()) {
            PackageIntake::prepare(fileName, package);
            loaded.package = std::move(package);
            loaded.source = wordSource(fileName, bytes);
        } else if (openDocument.startsWith(QLatin1String("application/vnd.oasis.opendocument.text"))) {
            loadConverted(loaded, fileName, bytes, QStringLiteral("odt"));
        } else {
            throw HostError(fileName, QStringLiteral("this is an OpenDocument file of another kind (%1), not a text "
                                                     "document")
                                          .arg(openDocument));
        }
        return loaded;
    }
    if (bytes.startsWith("{\\rtf")) {
        loadConverted(loaded, fileName, bytes, QStringLiteral("rtf"));
        return loaded;
    }
    if (QFileInfo(fileName).suffix().compare(QLatin1String("txt"), Qt::CaseInsensitive) == 0) {
        // Plain text becomes a package about twice its size.
        ensureRoom(fileName, 2 * bytes.size(), memory);
        const auto package = [fileName, bytes] { return PlainText::toPackage(fileName, bytes); };
        loaded.package = package();
        loaded.source = SourcePackage(package);
        loaded.plainText = true;
        return loaded;
    }
    throw HostError(fileName, QStringLiteral("the file is not a Word document, nor plain text, RTF or OpenDocument "
                                             "text"));
}

} // namespace

DocumentLoader::Loaded DocumentLoader::load(const QString& fileName, const platform::MemoryBudget& memory)
{
    const QByteArray bytes = readFile(fileName);
    if (bytes.isEmpty()) {
        throw HostError(fileName, QStringLiteral("the file is empty"));
    }
    try {
        Loaded loaded = loadFrom(fileName, bytes, memory);
        ensureRoom(fileName, unpackedSize(loaded.package), memory);
        return loaded;
    } catch (const std::bad_alloc&) {
        throw HostError(fileName, QStringLiteral("there is not enough memory to open it"));
    }
}

} // namespace quillsift::docx
