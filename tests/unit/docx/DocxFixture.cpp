// SPDX-License-Identifier: GPL-3.0-or-later
#include "DocxFixture.h"

#include "docx/Package.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

namespace quillsift::testing {

QByteArray docxBytes(const QString& bodyXml, const QList<QPair<QString, QByteArray>>& extraParts)
{
    docx::Package package;
    package.setData(
        u("[Content_Types].xml"),
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
        "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
        "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
        "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
        "<Override PartName=\"/word/document.xml\" "
        "ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/>"
        "</Types>");
    package.setData(u("_rels/.rels"),
                    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
                    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                    "<Relationship Id=\"rId1\" "
                    "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
                    "Target=\"word/document.xml\"/></Relationships>");
    const QByteArray document = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
                                "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
                                "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\" "
                                "xmlns:wp=\"http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing\" "
                                "xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\"><w:body>" +
                                bodyXml.toUtf8() + "</w:body></w:document>";
    package.setData(u("word/document.xml"), document);
    for (const auto& part : extraParts) {
        package.setData(part.first, part.second);
    }
    return package.toZip(u("fixture"));
}

QString writeFile(const QString& folder, const QString& name, const QByteArray& bytes)
{
    const QString path = QDir(folder).filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(bytes);
    }
    return path;
}

QStringList paragraphTexts(engine::Document& document)
{
    QStringList result;
    for (auto paragraph = document.range()->paragraph(1); paragraph;
         paragraph = paragraph->next(engine::Unit::Paragraph)) {
        result << paragraph->text();
    }
    return result;
}

QStringList wordTexts(engine::Document& document)
{
    QStringList result;
    for (auto word = document.range()->word(1); word; word = word->next(engine::Unit::Word)) {
        result << word->text();
    }
    return result;
}

QByteArray checksum(const QString& path)
{
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (file.open(QIODevice::ReadOnly)) {
        hash.addData(&file);
    }
    return hash.result().toHex();
}

} // namespace quillsift::testing
