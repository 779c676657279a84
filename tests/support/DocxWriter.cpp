// SPDX-License-Identifier: GPL-3.0-or-later
#include "DocxWriter.h"

#include <zip.h>

#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace quillsift::testing {

namespace {

const char contentTypes[] =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">
<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>
<Default Extension="xml" ContentType="application/xml"/>
<Override PartName="/word/document.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"/>
</Types>)";

const char packageRelationships[] =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">
<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="word/document.xml"/>
</Relationships>)";

void add(zip_t* archive, const char* name, const QByteArray& data)
{
    // libzip keeps the buffer until zip_close: hand it a copy it frees itself.
    void* copy = std::malloc(static_cast<size_t>(data.size()) + 1);
    std::memcpy(copy, data.constData(), static_cast<size_t>(data.size()));
    zip_source_t* source = zip_source_buffer(archive, copy, static_cast<zip_uint64_t>(data.size()), 1);
    if (!source || zip_file_add(archive, name, source, ZIP_FL_ENC_UTF_8) < 0) {
        zip_source_free(source);
        throw std::runtime_error(std::string("cannot add ") + name);
    }
}

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

void writeDocxBody(const QString& path, const QString& body)
{
    int error = 0;
    zip_t* archive = zip_open(path.toUtf8().constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive) {
        throw std::runtime_error("cannot create " + path.toStdString());
    }
    try {
        add(archive, "[Content_Types].xml", QByteArray(contentTypes));
        add(archive, "_rels/.rels", QByteArray(packageRelationships));
        const QString document =
            QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<w:document "
                           "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"><w:body>") +
            body + QStringLiteral("</w:body></w:document>");
        add(archive, "word/document.xml", document.toUtf8());
    } catch (...) {
        zip_discard(archive);
        throw;
    }
    if (zip_close(archive) < 0) {
        zip_discard(archive);
        throw std::runtime_error("cannot write " + path.toStdString());
    }
}

} // namespace quillsift::testing
