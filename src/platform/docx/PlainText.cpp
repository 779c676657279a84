// SPDX-License-Identifier: GPL-3.0-or-later
#include "PlainText.h"

#include "WordNames.h"
#include "XmlBytes.h"

#include "engine/HostError.h"
#include "engine/Units.h"

#include <QStringDecoder>

#include <pugixml.hpp>

#include <algorithm>

namespace quillsift::docx {

namespace {

// A line's text goes into a w:t, and a story's text is encoded, this many characters at a time.
constexpr qsizetype textAtOnce = PlainText::Encoder::pieceLength;

const char* const contentTypes =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    R"(<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)"
    R"(<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>)"
    R"(<Default Extension="xml" ContentType="application/xml"/>)"
    R"(<Override PartName="/word/document.xml" )"
    R"(ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"/>)"
    R"(</Types>)";

const char* const packageRelationships =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
    R"(<Relationship Id="rId1" )"
    R"(Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" )"
    R"(Target="word/document.xml"/>)"
    R"(</Relationships>)";

} // namespace

QString PlainText::decode(const QString& fileName, const QByteArray& bytes)
{
    QStringConverter::Encoding encoding = QStringConverter::Utf8;
    if (bytes.startsWith("\xFF\xFE")) {
        encoding = QStringConverter::Utf16LE;
    } else if (bytes.startsWith("\xFE\xFF")) {
        encoding = QStringConverter::Utf16BE;
    }
    QStringDecoder decoder(encoding, QStringConverter::Flag::ConvertInitialBom | QStringConverter::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError()) {
        throw engine::HostError(fileName, QStringLiteral("the text file is neither UTF-8 nor UTF-16 with a "
                                                         "byte-order mark"));
    }
    if (text.startsWith(QChar(0xFEFF))) {
        text.remove(0, 1);
    }
    return text;
}

QList<QStringView> PlainText::lines(QStringView text)
{
    QList<QStringView> result;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c == u'\r' || c == u'\n') {
            result.append(text.sliced(start, i - start));
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
                ++i;
            }
            start = i + 1;
        }
    }
    result.append(text.sliced(start));
    if (result.size() > 1 && result.last().isEmpty()) {
        result.removeLast();
    }
    return result;
}

Package PlainText::toPackage(const QList<QStringView>& lines)
{
    pugi::xml_document document;
    auto declaration = document.append_child(pugi::node_declaration);
    declaration.append_attribute("version") = "1.0";
    declaration.append_attribute("encoding") = "UTF-8";
    declaration.append_attribute("standalone") = "yes";
    auto root = document.append_child("w:document");
    root.append_attribute("xmlns:w") = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
    auto body = root.append_child("w:body");
    qsizetype characters = 0;
    for (const QStringView line : lines) {
        characters += line.size();
        auto paragraph = body.append_child("w:p");
        auto run = paragraph.append_child("w:r");
        QString pending;
        auto flush = [&]() {
            if (pending.isEmpty()) {
                return;
            }
            auto t = run.append_child("w:t");
            preserveSpaces(t);
            t.text().set(pending.toUtf8().constData());
            pending.clear();
        };
        for (const QChar c : line) {
            const char16_t code = c.unicode();
            if (code == engine::chars::Tab) {
                flush();
                run.append_child("w:tab");
            } else if (code == engine::chars::PageBreak) {
                flush();
                run.append_child("w:br").append_attribute("w:type") = "page";
            } else if (code == engine::chars::LineBreak) {
                flush();
                run.append_child("w:br");
            } else if (code >= 0x20 && code != 0xFFFE && code != 0xFFFF) {
                pending.append(c);
                // A long line goes into several w:t, none split inside a character, so that its
                // text is never held whole beside its UTF-8.
                if (pending.size() >= textAtOnce && !c.isHighSurrogate()) {
                    flush();
                }
            }
            // Other control characters cannot be written in XML and carry no text; they are left out.
        }
        flush();
        if (!run.first_child()) {
            paragraph.remove_child(run);
        }
    }
    if (lines.isEmpty()) {
        body.append_child("w:p");
    }
    body.append_child("w:sectPr");
    // Room for the text and for the markup around each line, so the bytes are not copied as they grow.
    const QByteArray written = xmlBytes(document, characters + 64 * lines.size() + 1024);

    Package package;
    package.setData(QStringLiteral("[Content_Types].xml"), QByteArray(contentTypes));
    package.setData(QStringLiteral("_rels/.rels"), QByteArray(packageRelationships));
    package.setData(QStringLiteral("word/document.xml"), written);
    return package;
}

PlainText::Encoder::Encoder(qint64 expectedLength)
{
    // A text of ASCII, as most are, takes a byte a character.
    m_bytes.reserve(qsizetype(std::max<qint64>(expectedLength, 0)));
    m_cleaned.reserve(textAtOnce);
}

void PlainText::Encoder::append(QStringView storyText)
{
    for (const QChar c : storyText) {
        const char16_t code = c.unicode();
        if (code == engine::chars::ParagraphMark) {
            m_cleaned.append(QLatin1Char('\n'));
        } else if (code == engine::chars::EndOfCell) {
            continue;
        } else if (code == engine::chars::LineBreak) {
            m_cleaned.append(QLatin1Char('\n'));
        } else if (code == engine::chars::NoBreakHyphen) {
            m_cleaned.append(QLatin1Char('-'));
        } else if (code == engine::chars::SoftHyphen || code == engine::chars::Object ||
                   code == engine::chars::NoteReference) {
            continue;
        } else {
            m_cleaned.append(c);
        }
        if (m_cleaned.size() >= textAtOnce) {
            flush();
        }
    }
}

void PlainText::Encoder::flush()
{
    // The encoder keeps half of a surrogate pair that ends one piece for the next.
    m_bytes.append(QByteArray(m_utf8.encode(m_cleaned)));
    m_cleaned.resize(0);
}

QByteArray PlainText::Encoder::take()
{
    flush();
    return std::move(m_bytes);
}

} // namespace quillsift::docx
