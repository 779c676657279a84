// SPDX-License-Identifier: GPL-3.0-or-later
#include "ParagraphReader.h"

#include "engine/Units.h"

#include <algorithm>
#include <cstring>

namespace quillsift::docx {

namespace chars = engine::chars;

namespace {
bool visible(const std::vector<bool>& fields)
{
    return std::all_of(fields.begin(), fields.end(), [](bool inResult) { return inResult; });
}
} // namespace

ParagraphReader::ParagraphReader(const WordNames& names)
    : m_names(names)
{
}

void ParagraphReader::read(Paragraph& paragraph, std::vector<bool>& fields) const
{
    paragraph.text.clear();
    paragraph.pieces.clear();
    fields = paragraph.fieldsAtStart;
    readChildren(paragraph.node, paragraph, fields);
    paragraph.text.append(QChar(chars::ParagraphMark));
    if (paragraph.cellEnd) {
        paragraph.text.append(QChar(chars::EndOfCell));
    }
    paragraph.splitsField = fields != paragraph.fieldsAtStart;
}

void ParagraphReader::readChildren(pugi::xml_node node, Paragraph& paragraph, std::vector<bool>& fields) const
{
    const WordNames& n = m_names;
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
        if (child.type() != pugi::node_element) {
            continue;
        }
        const char* name = child.name();
        if (n.r == name) {
            readRun(child, paragraph, fields);
        } else if (n.hyperlink == name || n.ins == name || n.moveTo == name || n.smartTag == name ||
                   n.customXml == name || n.fldSimple == name || n.dir == name || n.bdo == name) {
            readChildren(child, paragraph, fields);
        } else if (n.sdt == name) {
            readChildren(child.child(n.sdtContent.c_str()), paragraph, fields);
        } else if (n.alternateContent == name) {
            readChildren(child.child(n.choice.c_str()), paragraph, fields);
        }
        // Everything else (properties, deleted or moved-away text, bookmarks, math) is not text.
    }
}

void ParagraphReader::readRun(pugi::xml_node run, Paragraph& paragraph, std::vector<bool>& fields) const
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
                fields.push_back(false);
            } else if (std::strcmp(type, "separate") == 0) {
                if (!fields.empty()) {
                    fields.back() = true;
                }
            } else if (std::strcmp(type, "end") == 0) {
                if (!fields.empty()) {
                    fields.pop_back();
                }
            }
            continue;
        }
        if (!visible(fields)) {
            continue;
        }
        if (n.t == name) {
            QString value = QString::fromUtf8(child.text().get());
            if (value.isEmpty()) {
                continue;
            }
            // Line feeds inside w:t are not breaks; Word shows them as spaces. Keeping one character
            // for one keeps the piece aligned with the element's text for later edits.
            for (QChar& c : value) {
                if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
                    c = QLatin1Char(' ');
                }
            }
            Piece piece;
            piece.offset = quint32(paragraph.text.size());
            piece.length = quint32(value.size());
            piece.node = child;
            piece.isText = true;
            paragraph.pieces.push_back(piece);
            paragraph.text.append(value);
        } else if (n.tab == name || n.ptab == name) {
            addCharacter(paragraph, child, chars::Tab);
        } else if (n.br == name) {
            const char* type = child.attribute(n.type.c_str()).value();
            addCharacter(paragraph, child,
                         std::strcmp(type, "page") == 0     ? chars::PageBreak
                         : std::strcmp(type, "column") == 0 ? chars::ColumnBreak
                                                            : chars::LineBreak);
        } else if (n.cr == name) {
            addCharacter(paragraph, child, chars::LineBreak);
        } else if (n.noBreakHyphen == name) {
            addCharacter(paragraph, child, chars::NoBreakHyphen);
        } else if (n.softHyphen == name) {
            addCharacter(paragraph, child, chars::SoftHyphen);
        } else if (n.sym == name) {
            bool ok = false;
            const uint code = QString::fromUtf8(child.attribute(n.charAttr.c_str()).value()).toUInt(&ok, 16);
            // Symbol fonts map their glyphs to U+F0xx; a code that is not a single UTF-16 unit or
            // not a printable character stands as the object character, so the text stays valid.
            const bool printable = ok && code >= 0x20 && code < 0xFFFE && !(code >= 0xD800 && code < 0xE000);
            addCharacter(paragraph, child, printable ? char16_t(code) : chars::Object);
        } else if (n.drawing == name || n.pict == name || n.object == name || n.alternateContent == name) {
            addCharacter(paragraph, child, chars::Object);
        } else if (n.footnoteReference == name || n.endnoteReference == name) {
            addCharacter(paragraph, child, chars::NoteReference);
        }
    }
}

void ParagraphReader::addCharacter(Paragraph& paragraph, pugi::xml_node node, char16_t character) const
{
    Piece piece;
    piece.offset = quint32(paragraph.text.size());
    piece.length = 1;
    piece.node = node;
    paragraph.pieces.push_back(piece);
    paragraph.text.append(QChar(character));
}

} // namespace quillsift::docx
