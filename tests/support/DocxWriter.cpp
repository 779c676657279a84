// SPDX-License-Identifier: GPL-3.0-or-later
#include "DocxWriter.h"

#include "docx/Package.h"

#include <QFile>

#include <stdexcept>

namespace quillsift::testing {

namespace {

QString runXml(const QString& text)
{
    QString xml;
    QString pending;
    const auto flush = [&] {
        if (!pending.isEmpty()) {
            xml += QStringLiteral("<w:r><w:t xml:space=\"preserve\">") + pending.toHtmlEscaped() +
                   QStringLiteral("</w:t></w:r>");
            pending.clear();
        }
    };
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const char* element = u == 9    ? "<w:r><w:tab/></w:r>"
                              : u == 11 ? "<w:r><w:br/></w:r>"
                              : u == 1  ? "<w:r><w:drawing/></w:r>"
                              : u == 2  ? "<w:r><w:footnoteReference w:id=\"1\"/></w:r>"
                                        : nullptr;
        if (element) {
            flush();
            xml += QString::fromLatin1(element);
        } else {
            pending += c;
        }
    }
    flush();
    return xml;
}

} // namespace

QString bodyXml(const QStringList& paragraphs)
{
    QString xml;
    bool inTable = false;
    for (const QString& paragraph : paragraphs) {
        const bool cell = paragraph.endsWith(QLatin1Char('\a'));
        if (cell && !inTable) {
            xml += QStringLiteral("<w:tbl><w:tblGrid/><w:tr>");
        } else if (!cell && inTable) {
            xml += QStringLiteral("</w:tr></w:tbl>");
        }
        inTable = cell;
        const QString p =
            QStringLiteral("<w:p>") + runXml(cell ? paragraph.chopped(1) : paragraph) + QStringLiteral("</w:p>");
        xml += cell ? QStringLiteral("<w:tc>") + p + QStringLiteral("</w:tc>") : p;
    }
    if (inTable) {
        xml += QStringLiteral("</w:tr></w:tbl><w:p/>");
    }
    return xml;
}

QByteArray docxBytes(const QString& bodyXml, const QList<QPair<QString, QByteArray>>& extraParts)
{
    docx::Package package;
    package.setData(
        QStringLiteral("[Content_Types].xml"),
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
        "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
        "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
        "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
        "<Default Extension=\"png\" ContentType=\"image/png\"/>"
        "<Override PartName=\"/word/document.xml\" "
        "ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/>"
        "</Types>");
    package.setData(QStringLiteral("_rels/.rels"),
                    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
                    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                    "<Relationship Id=\"rId1\" "
                    "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
                    "Target=\"word/document.xml\"/></Relationships>");
    const QByteArray document = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
                                "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
                                "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\" "
                                "xmlns:wp=\"http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing\" "
                                "xmlns:m=\"http://schemas.openxmlformats.org/officeDocument/2006/math\" "
                                "xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\"><w:body>" +
                                bodyXml.toUtf8() + "</w:body></w:document>";
    package.setData(QStringLiteral("word/document.xml"), document);
    for (const auto& part : extraParts) {
        package.setData(part.first, part.second);
    }
    return package.toZip(QStringLiteral("fixture"));
}

void writeDocxBody(const QString& path, const QString& body)
{
    const QByteArray bytes = docxBytes(body);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        throw std::runtime_error("cannot write " + path.toStdString());
    }
}

} // namespace quillsift::testing
