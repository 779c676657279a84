// SPDX-License-Identifier: GPL-3.0-or-later
#include "MarkRules.h"

namespace quillsift::docx {

MarkRules::MarkRules(const std::vector<Paragraph>& paragraphs, const text::ParagraphIndex& index,
                     const WordNames& names, const RunSurgery& surgery)
    : m_paragraphs(paragraphs)
    , m_index(index)
    , m_names(names)
    , m_surgery(surgery)
{
}

bool MarkRules::isPinned(std::size_t slot) const
{
    const Paragraph& paragraph = m_paragraphs[slot];
    if (paragraph.cellEnd() || paragraph.splitsField() || !m_index.next(slot)) {
        return true;
    }
    const WordNames& n = m_names;
    if (m_surgery.properties(paragraph.node()).child(n.sectPr.c_str())) {
        return true;
    }
    // A table must be followed by a paragraph at the end of its container, and two tables are
    // kept apart by one; such a paragraph stays.
    auto contentSibling = [&](pugi::xml_node node, bool forward) {
        node = forward ? node.next_sibling() : node.previous_sibling();
        while (node && (node.type() != pugi::node_element || n.isMarker(node.name()) || n.sectPr == node.name())) {
            node = forward ? node.next_sibling() : node.previous_sibling();
        }
        return node;
    };
    // What follows is looked at first: the markers of removed paragraphs gather in front of the
    // paragraphs after them, and need not be walked past where what follows already decides.
    const pugi::xml_node after = contentSibling(paragraph.node(), true);
    if (after && n.tbl != after.name()) {
        return false;
    }
    const pugi::xml_node before = contentSibling(paragraph.node(), false);
    return before && n.tbl == before.name();
}

bool MarkRules::canJoinNext(std::size_t slot) const
{
    if (isPinned(slot)) {
        return false;
    }
    const auto next = m_index.next(slot);
    if (!next) {
        return false;
    }
    // Only a paragraph that directly follows in the same container, and whose own properties
    // carry nothing that would be lost with its mark (a section break), joins this one.
    const WordNames& n = m_names;
    const pugi::xml_node following = m_paragraphs[*next].node();
    pugi::xml_node between = m_paragraphs[slot].node().next_sibling();
    while (between && between != following && (between.type() != pugi::node_element || n.isMarker(between.name()))) {
        between = between.next_sibling();
    }
    return between == following && !m_surgery.properties(following).child(n.sectPr.c_str());
}

} // namespace quillsift::docx
