// SPDX-License-Identifier: GPL-3.0-or-later
#include "RunSurgery.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace quillsift::docx {

namespace {

/// Whether the first count bytes of text are all ASCII, looked at eight at a time.
bool isAscii(const char* text, std::size_t count)
{
    constexpr quint64 highBits = 0x8080808080808080ULL;
    std::size_t i = 0;
    for (; i + 8 <= count; i += 8) {
        quint64 eight;
        std::memcpy(&eight, text + i, 8);
        if (eight & highBits) {
            return false;
        }
    }
    for (; i < count; ++i) {
        if (static_cast<unsigned char>(text[i]) >= 0x80) {
            return false;
        }
    }
    return true;
}

void setPreserved(pugi::xml_node textElement, const QString& value)
{
    textElement.text().set(value.toUtf8().constData());
    preserveSpaces(textElement);
}

} // namespace

RunSurgery::RunSurgery(const WordNames& names)
    : m_names(names)
{
}

pugi::xml_node RunSurgery::properties(pugi::xml_node paragraph) const
{
    // They come first, so a long paragraph's runs are not looked through for them.
    pugi::xml_node node = paragraph.first_child();
    while (node && node.type() != pugi::node_element) {
        node = node.next_sibling();
    }
    return node && m_names.pPr == node.name() ? node : pugi::xml_node();
}

void RunSurgery::removeFromRun(pugi::xml_node node) const
{
    pugi::xml_node run = node.parent();
    run.remove_child(node);
    if (m_names.r != run.name()) {
        return;
    }
    for (pugi::xml_node child = run.first_child(); child; child = child.next_sibling()) {
        if (child.type() == pugi::node_element && m_names.rPr != child.name()) {
            return;
        }
    }
    run.parent().remove_child(run);
}

void RunSurgery::removeCharacters(pugi::xml_node textElement, qint64 from, qint64 to)
{
    pugi::xml_text content = textElement.text();
    const char* utf8 = content.get();
    const std::size_t bytes = std::strlen(utf8);
    bool spaceAtEdge = false;
    if (isAscii(utf8, std::min(bytes, std::size_t(to)))) {
        // One byte per character up to the end of the cut: the offsets are byte offsets.
        std::string& value = m_newValue;
        value.assign(utf8, std::size_t(from));
        value.append(utf8 + to, bytes - std::size_t(to));
        spaceAtEdge = value.front() == ' ' || value.back() == ' ';
        content.set(value.c_str());
    } else {
        QString value = QString::fromUtf8(utf8, qsizetype(bytes));
        value.remove(from, to - from);
        spaceAtEdge = value.startsWith(QLatin1Char(' ')) || value.endsWith(QLatin1Char(' '));
        content.set(value.toUtf8().constData());
    }
    if (spaceAtEdge) {
        preserveSpaces(textElement);
    }
}

void RunSurgery::insertCharacters(pugi::xml_node textElement, qint64 at, const QString& text) const
{
    QString value = QString::fromUtf8(textElement.text().get());
    value.insert(at, text);
    setPreserved(textElement, value);
}

void RunSurgery::insertBeside(pugi::xml_node element, bool before, const QString& text) const
{
    pugi::xml_node run = element.parent();
    if (m_names.r != run.name()) {
        pugi::xml_node made = before ? run.insert_child_before(m_names.r.c_str(), element)
                                     : run.insert_child_after(m_names.r.c_str(), element);
        setPreserved(made.append_child(m_names.t.c_str()), text);
        return;
    }
    setPreserved(before ? run.insert_child_before(m_names.t.c_str(), element)
                        : run.insert_child_after(m_names.t.c_str(), element),
                 text);
}

void RunSurgery::appendRun(pugi::xml_node paragraph, const QString& text) const
{
    pugi::xml_node run = paragraph.append_child(m_names.r.c_str());
    setPreserved(run.append_child(m_names.t.c_str()), text);
}

void RunSurgery::joinElements(pugi::xml_node first, pugi::xml_node second, bool intoFirst) const
{
    std::vector<pugi::xml_node> between;
    for (pugi::xml_node node = first.next_sibling(); node && node != second; node = node.next_sibling()) {
        between.push_back(node);
    }
    // The second one's properties go.
    if (const pugi::xml_node secondProperties = properties(second)) {
        second.remove_child(secondProperties);
    }
    if (intoFirst) {
        for (const pugi::xml_node node : between) {
            first.append_move(node);
        }
        for (pugi::xml_node node = second.first_child(); node;) {
            const pugi::xml_node next = node.next_sibling();
            first.append_move(node);
            node = next;
        }
        second.parent().remove_child(second);
        return;
    }
    // Into the second element, in front of its content, which keeps the first one's attributes.
    const pugi::xml_node content = second.first_child();
    auto moveIn = [&](pugi::xml_node node) {
        if (content) {
            second.insert_move_before(node, content);
        } else {
            second.append_move(node);
        }
    };
    for (pugi::xml_node node = first.first_child(); node;) {
        const pugi::xml_node next = node.next_sibling();
        moveIn(node);
        node = next;
    }
    for (const pugi::xml_node node : between) {
        moveIn(node);
    }
    second.remove_attributes();
    for (const pugi::xml_attribute attribute : first.attributes()) {
        second.append_copy(attribute);
    }
    first.parent().remove_child(first);
}

void RunSurgery::keepMarkers(pugi::xml_node paragraph) const
{
    std::vector<pugi::xml_node> markers;
    pugi::xml_node node = paragraph.first_child();
    while (node) {
        if (node.type() == pugi::node_element && m_names.isMarker(node.name())) {
            markers.push_back(node);
        } else if (node.first_child()) {
            node = node.first_child();
            continue;
        }
        while (node && node != paragraph && !node.next_sibling()) {
            node = node.parent();
        }
        node = (node && node != paragraph) ? node.next_sibling() : pugi::xml_node();
    }
    pugi::xml_node container = paragraph.parent();
    for (pugi::xml_node marker : markers) {
        container.insert_move_before(marker, paragraph);
    }
}

} // namespace quillsift::docx
