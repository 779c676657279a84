// SPDX-License-Identifier: GPL-3.0-or-later
#include "BodyLoader.h"

#include "ParagraphReader.h"

#include <functional>

namespace quillsift::docx {

BodyLoader::BodyLoader(const WordNames& names)
    : m_names(names)
{
}

std::vector<Paragraph> BodyLoader::load(pugi::xml_node body) const
{
    repairEmptyCells(body);
    // The nodes are gathered first so that the paragraphs, which are large, are built in place.
    std::vector<Found> found;
    collect(body, nullptr, found);
    std::vector<Paragraph> paragraphs;
    paragraphs.reserve(found.size() + 1);
    for (const Found& each : found) {
        paragraphs.emplace_back(each.node, each.cellEnd, quint32(paragraphs.size()));
    }
    if (paragraphs.empty()) {
        // Word shows a body without paragraphs as one empty paragraph; make the file say so too.
        pugi::xml_node sectPr = body.child(m_names.sectPr.c_str());
        pugi::xml_node paragraph =
            sectPr ? body.insert_child_before(m_names.p.c_str(), sectPr) : body.append_child(m_names.p.c_str());
        paragraphs.emplace_back(paragraph, false, 0);
    }
    const ParagraphReader reader(m_names);
    FieldNesting fields;
    for (Paragraph& paragraph : paragraphs) {
        paragraph.setFieldsAtStart(fields);
        reader.read(paragraph, fields);
    }
    return paragraphs;
}

void BodyLoader::repairEmptyCells(pugi::xml_node body) const
{
    // A cell without a paragraph of its own makes Word ask to repair the file; give it one so that
    // what we save is sound, and so that the cell has its end-of-cell mark in the text.
    const WordNames& n = m_names;
    std::function<bool(pugi::xml_node)> holdsParagraph = [&](pugi::xml_node container) {
        for (pugi::xml_node child = container.first_child(); child; child = child.next_sibling()) {
            const char* name = child.name();
            if (n.p == name) {
                return true;
            }
            if ((n.sdt == name && holdsParagraph(child.child(n.sdtContent.c_str()))) ||
                (n.customXml == name && holdsParagraph(child))) {
                return true;
            }
        }
        return false;
    };
    std::vector<pugi::xml_node> cells;
    pugi::xml_node node = body.first_child();
    while (node) {
        if (n.tc == node.name()) {
            cells.push_back(node);
        }
        if (node.first_child()) {
            node = node.first_child();
            continue;
        }
        while (node && node != body && !node.next_sibling()) {
            node = node.parent();
        }
        node = (node && node != body) ? node.next_sibling() : pugi::xml_node();
    }
    for (pugi::xml_node cell : cells) {
        pugi::xml_node last = cell.last_child();
        while (last && last.type() != pugi::node_element) {
            last = last.previous_sibling();
        }
        if (!holdsParagraph(cell) || (last && n.tbl == last.name())) {
            cell.append_child(n.p.c_str());
        }
    }
}

void BodyLoader::collect(pugi::xml_node container, std::size_t* cellLast, std::vector<Found>& found) const
{
    const WordNames& n = m_names;
    for (pugi::xml_node child = container.first_child(); child; child = child.next_sibling()) {
        if (child.type() != pugi::node_element) {
            continue;
        }
        const char* name = child.name();
        if (n.p == name) {
            if (cellLast) {
                *cellLast = found.size();
            }
            found.push_back({child, false});
        } else if (n.tbl == name || n.tr == name) {
            collect(child, nullptr, found);
        } else if (n.tc == name) {
            std::size_t last = std::size_t(-1);
            collect(child, &last, found);
            if (last != std::size_t(-1)) {
                found[last].cellEnd = true;
            }
        } else if (n.sdt == name) {
            collect(child.child(n.sdtContent.c_str()), cellLast, found);
        } else if (n.customXml == name || n.ins == name || n.moveTo == name || n.smartTag == name) {
            collect(child, cellLast, found);
        }
    }
}

} // namespace quillsift::docx
