// SPDX-License-Identifier: GPL-3.0-or-later
#include "XmlWellFormed.h"

#include "Package.h"

#include "engine/HostError.h"

#include <QXmlStreamReader>

namespace quillsift::docx {

using engine::HostError;

HostError XmlWellFormed::documentTypeRefusal(const QString& fileName, const QString& partName)
{
    return HostError(fileName, QStringLiteral("the part %1 contains a document type or entity declaration, which "
                                              "Word documents never do")
                                   .arg(partName));
}

HostError XmlWellFormed::nestingRefusal(const QString& fileName, const QString& partName)
{
    return HostError(
        fileName,
        QStringLiteral("the part %1 is nested more than %2 elements deep").arg(partName).arg(Package::maxXmlDepth));
}

void XmlWellFormed::check(const QString& fileName, const QString& partName, const QByteArray& data)
{
    QXmlStreamReader reader(data);
    int depth = 0;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::DTD:
            throw documentTypeRefusal(fileName, partName);
        case QXmlStreamReader::StartElement:
            if (++depth > Package::maxXmlDepth) {
                throw nestingRefusal(fileName, partName);
            }
            break;
        case QXmlStreamReader::EndElement:
            --depth;
            break;
        default:
            break;
        }
    }
    if (reader.hasError()) {
        QString cause = reader.errorString();
        if (cause.endsWith(QLatin1Char('.'))) {
            cause.chop(1);
        }
        throw HostError(fileName, QStringLiteral("the part %1 is not well-formed XML: %2 (line %3, column %4)")
                                      .arg(partName, cause)
                                      .arg(reader.lineNumber())
                                      .arg(reader.columnNumber()));
    }
}

} // namespace quillsift::docx
