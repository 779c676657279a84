// SPDX-License-Identifier: GPL-3.0-or-later
#include "ParagraphReader.h"

#include "engine/Units.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace quillsift::docx {

namespace chars = engine::chars;

ParagraphReader::ParagraphReader(const WordNames& names)
    : m_names(names)
{
}

void ParagraphReader::read(Paragraph& paragraph, FieldNesting& fields) const
{
    PieceList pieces;
    fields = paragraph.fieldsAtStart();
    readChildren(paragraph.node(), pieces, fields);
    m_text.tail().append(QChar(chars::ParagraphMark));
    if (paragraph.cellEnd()) {
        m_text.tail().append(QChar(chars::EndOfCell));
    }
    pieces.setTextLength(m_text.size());
    // Text may have come or moved anywhere in it: its word positions are built again when needed.
    paragraph.setContent(m_text.take(), std::move(pieces), !(fields == paragraph.fieldsAtStart()));
}

void ParagraphReader::readChildren(pugi::xml_node node, PieceList& pieces, FieldNesting& fields) const
{
    const WordNames& n = m_names;
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
        if (child.type() != pugi::node_element) {
            continue;
        }
        const char* name = child.name();
        if (n.r == name) {
            readRun(child, pieces, fields);
        } else if (n.hyperlink == name || n.ins == name || n.moveTo == name || n.smartTag == name ||
                   n.customXml == name || n.fldSimple == name || n.dir == name || n.bdo == name) {
            readChildren(child, pieces, fields);
        } else if (n.sdt == name) {
            readChildren(child.child(n.sdtContent.c_str()), pieces, fields);
        } else if (n.alternateContent == name) {
            readChildren(child.child(n.choice.c_str()), pieces, fields);
        } else if ((WordNames::isMath(name) || n.subDoc == name) && fields.isText()) {
            // An equation, or a subdocument of a master document, stands in the text as an
            // embedded object does, as one character: a paragraph that shows one is not empty,
            // and is not a repeat of one without it.
            addCharacter(pieces, child, chars::Object);
        }
        // Everything else (properties, deleted or moved-away text, bookmarks) is not text.
    }
}

void ParagraphReader::readRun(pugi::xml_node run, PieceList& pieces, FieldNesting& fields) const
{
    const WordNames& n = m_names;
    for (pugi::xml_node child = run.first_child(); child; child = child.next_sibling()) {
        if (child.type() != pugi::node_element) {
            continue;
        }
        const char* name = child.name();
        if (n.fldChar == name) {
            const char* type = child.attribute(n.fldCharType.c_str()).value();
            if (std::strcmp(type, "begin") == 0) {
                fields.begin();
            } else if (std::strcmp(type, "separate") == 0) {
                fields.separate();
            } else if (std::strcmp(type, "end") == 0) {
                fields.end();
            }
            continue;
        }
        if (!fields.isText()) {
            continue;
        }
        if (n.t == name) {
            // Spaces Word drops are no text: the element is made to say so, so that the text read,
            // the edits made on it and the file written agree with what Word shows.
            dropUnpreservedSpaces(child);
            const char* value = child.text().get();
            std::size_t bytes = std::strlen(value);
            if (bytes == 0) {
                continue;
            }
            if (bytes > maxTextBytes) {
                split(child, value, bytes);
                value = child.text().get();
                bytes = std::strlen(value);
            }
            QString& text = m_text.tail();
            const qsizetype from = text.size();
            const QByteArrayView utf8(value, qsizetype(bytes));
            if (std::all_of(utf8.begin(), utf8.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
                text.append(QLatin1StringView(utf8.data(), utf8.size()));
            } else {
                text.append(QString::fromUtf8(utf8));
            }
            // Line feeds inside w:t are not breaks; Word shows them as spaces. Keeping one character
            // for one keeps the piece aligned with the element's text for later edits.
            for (qsizetype i = from; i < text.size(); ++i) {
                if (text.at(i) == QLatin1Char('\n') || text.at(i) == QLatin1Char('\r')) {
                    text[i] = QLatin1Char(' ');
                }
            }
            Piece piece;
            piece.offset = quint32(m_text.tailStart() + from);
            piece.length = quint32(text.size() - from);
            piece.node = child;
            piece.isText = true;
            pieces.append(piece);
            m_text.settle();
        } else if (n.tab == name || n.ptab == name) {
            addCharacter(pieces, child, chars::Tab);
        } else if (n.br == name) {
            const char* type = child.attribute(n.type.c_str()).value();
            addCharacter(pieces, child,
                         std::strcmp(type, "page") == 0     ? chars::PageBreak
                         : std::strcmp(type, "column") == 0 ? chars::ColumnBreak
                                                            : chars::LineBreak);
        } else if (n.cr == name) {
            addCharacter(pieces, child, chars::LineBreak);
        } else if (n.noBreakHyphen == name) {
            addCharacter(pieces, child, chars::NoBreakHyphen);
        } else if (n.softHyphen == name) {
            addCharacter(pieces, child, chars::SoftHyphen);
        } else if (n.sym == name) {
            bool ok = false;
            const uint code = QString::fromUtf8(child.attribute(n.charAttr.c_str()).value()).toUInt(&ok, 16);
            // Symbol fonts map their glyphs to U+F0xx; a code that is not a single UTF-16 unit or
            // not a printable character stands as the object character, so the text stays valid.
            const bool printable = ok && code >= 0x20 && code < 0xFFFE && !(code >= 0xD800 && code < 0xE000);
            addCharacter(pieces, child, printable ? char16_t(code) : chars::Object);
        } else if (n.drawing == name || n.pict == name || n.object == name || n.alternateContent == name ||
                   n.ruby == name) {
            // Text with a phonetic guide (ruby) too: its base text and guide are one thing shown.
            addCharacter(pieces, child, chars::Object);
        } else if (n.footnoteReference == name || n.endnoteReference == name) {
            addCharacter(pieces, child, chars::NoteReference);
        }
    }
}

void ParagraphReader::addCharacter(PieceList& pieces, pugi::xml_node node, char16_t character) const
{
    Piece piece;
    piece.offset = quint32(m_text.size());
    piece.length = 1;
    piece.node = node;
    pieces.append(piece);
    m_text.tail().append(QChar(character));
    m_text.settle();
}

void ParagraphReader::split(pugi::xml_node text, const char* value, std::size_t bytes) const
{
    // Cut only between characters: never before a UTF-8 continuation byte.
    auto cutAfter = [&](std::size_t from) {
        std::size_t cut = std::min(from + maxTextBytes, bytes);
        while (cut < bytes && cut > from + 1 && (static_cast<unsigned char>(value[cut]) & 0xC0) == 0x80) {
            --cut;
        }
        return cut;
    };
    // The pieces after the first are copied out of the element's text while it is still whole;
    // only then is it cut down to the first, so the text is never copied whole.
    const std::size_t first = cutAfter(0);
    pugi::xml_node previous = text;
    for (std::size_t cut = first; cut < bytes;) {
        const std::size_t next = cutAfter(cut);
        pugi::xml_node chunk = text.parent().insert_child_after(text.name(), previous);
        chunk.text().set(value + cut, next - cut);
        preserveSpaces(chunk);
        previous = chunk;
        cut = next;
    }
    const std::string head(value, first);
    text.text().set(head.c_str(), head.size());
    preserveSpaces(text);
}

} // namespace quillsift::docx
