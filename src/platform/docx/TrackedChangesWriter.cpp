// SPDX-License-Identifier: GPL-3.0-or-later
#include "TrackedChangesWriter.h"

#include <algorithm>
#include <cstdlib>

namespace quillsift::docx {

namespace {

/// The greatest w:id in the part, so that the new deletions' ids are unique in it.
class GreatestId : public pugi::xml_tree_walker
{
  public:
    explicit GreatestId(const std::string& name)
        : m_name(name)
    {
    }
    bool for_each(pugi::xml_node& node) override
    {
        if (node.type() == pugi::node_element) {
            if (const pugi::xml_attribute id = node.attribute(m_name.c_str())) {
                char* end = nullptr;
                const long long value = std::strtoll(id.value(), &end, 10);
                if (end != id.value() && value > m_greatest) {
                    m_greatest = value;
                }
            }
        }
        return true;
    }
    qint64 greatest() const
    {
        return m_greatest;
    }

  private:
    const std::string& m_name;
    qint64 m_greatest = 0;
};

} // namespace

TrackedChangesWriter::TrackedChangesWriter(const WordNames& names, pugi::xml_node part, const QString& author,
                                           const QDateTime& time)
    : m_names(names)
    , m_delInstrText(names.qualified("delInstrText"))
    , m_id(names.qualified("id"))
    , m_author(names.qualified("author"))
    , m_date(names.qualified("date"))
    , m_authorName(author.toStdString())
    , m_dateValue(time.toUTC().toString(Qt::ISODate).toStdString())
    , m_pPrChange(names.qualified("pPrChange"))
{
    GreatestId walker(m_id);
    part.traverse(walker);
    m_nextId = std::max<qint64>(walker.greatest(), 0) + 1;
}

void TrackedChangesWriter::write(const Paragraph& paragraph, std::span<const TrackedDeletions::Cut> cuts)
{
    if (cuts.empty()) {
        return;
    }
    const qint64 mark = paragraph.length() - paragraph.markLength();
    const bool markGone =
        std::any_of(cuts.begin(), cuts.end(), [&](const auto& cut) { return cut.from <= mark && cut.to > mark; });
    m_lastDeletion = pugi::xml_node();
    if (markGone && cuts.front().from == 0 && cuts.front().to > mark) {
        // The whole paragraph goes: its field codes and empty runs too, as the element went.
        deleteContent(paragraph.node());
        deleteMark(paragraph.node());
        return;
    }

    std::vector<pugi::xml_node> deleted;
    std::size_t cut = 0;
    for (const Piece& piece : paragraph.pieces().toVector()) {
        const qint64 begin = piece.offset;
        const qint64 end = begin + piece.length;
        while (cut < cuts.size() && cuts[cut].to <= begin) {
            ++cut;
        }
        if (cut == cuts.size()) {
            break;
        }
        if (cuts[cut].from >= end || m_names.r != piece.node.parent().name()) {
            continue;
        }
        if (!piece.isText || (cuts[cut].from <= begin && cuts[cut].to >= end)) {
            deleted.push_back(piece.node);
            continue;
        }
        // Part of a w:t goes: it is split where the deleted stretches begin and end.
        std::vector<qint64> bounds{0};
        std::vector<bool> gone;
        qint64 at = begin;
        for (std::size_t k = cut; at < end;) {
            const bool inside = k < cuts.size() && cuts[k].from <= at;
            const qint64 to = inside ? std::min(end, cuts[k].to) : k < cuts.size() ? std::min(end, cuts[k].from) : end;
            bounds.push_back(to - begin);
            gone.push_back(inside);
            if (inside && cuts[k].to <= to) {
                ++k;
            }
            at = to;
        }
        const std::vector<pugi::xml_node> stretches = splitText(piece.node, bounds);
        for (std::size_t i = 0; i < stretches.size(); ++i) {
            if (gone[i]) {
                deleted.push_back(stretches[i]);
            }
        }
    }
    // A run's pieces are next to each other in the text, so its deleted elements are too.
    for (std::size_t first = 0; first < deleted.size();) {
        std::size_t last = first + 1;
        const pugi::xml_node run = deleted[first].parent();
        while (last < deleted.size() && deleted[last].parent() == run) {
            ++last;
        }
        deleteInRun(run, std::span(deleted).subspan(first, last - first));
        first = last;
    }
    if (markGone) {
        deleteMark(paragraph.node());
    }
}

void TrackedChangesWriter::deleteContent(pugi::xml_node container)
{
    const WordNames& n = m_names;
    for (pugi::xml_node child = container.first_child(); child;) {
        const pugi::xml_node next = child.next_sibling();
        const char* name = child.name();
        if (child.type() != pugi::node_element) {
            // Not content.
        } else if (n.r == name) {
            wrap(child);
        } else if (n.hyperlink == name || n.ins == name || n.moveTo == name || n.smartTag == name ||
                   n.customXml == name || n.fldSimple == name || n.dir == name || n.bdo == name) {
            deleteContent(child);
        } else if (n.sdt == name) {
            deleteContent(child.child(n.sdtContent.c_str()));
        } else if (n.alternateContent == name) {
            for (pugi::xml_node choice = child.first_child(); choice; choice = choice.next_sibling()) {
                if (n.choice == choice.name() || n.fallback == choice.name()) {
                    deleteContent(choice);
                }
            }
        }
        // Deleted or moved-away runs already are; properties, markers and math stay.
        child = next;
    }
}

void TrackedChangesWriter::deleteInRun(pugi::xml_node run, std::span<const pugi::xml_node> deleted)
{
    std::vector<pugi::xml_node> children;
    pugi::xml_node properties;
    for (pugi::xml_node child = run.first_child(); child; child = child.next_sibling()) {
        if (child.type() != pugi::node_element) {
            continue;
        }
        if (m_names.rPr == child.name()) {
            properties = child;
        } else {
            children.push_back(child);
        }
    }
    if (deleted.size() == children.size()) {
        wrap(run);
        return;
    }
    // The run is cut into runs of the same properties, one for each stretch of its elements that
    // all go or all stay.
    std::vector<std::pair<pugi::xml_node, bool>> runs;
    pugi::xml_node current = run;
    std::size_t next = 0;
    for (std::size_t i = 0; i < children.size(); ++i) {
        const bool gone = next < deleted.size() && deleted[next] == children[i];
        next += gone ? 1 : 0;
        if (i == 0) {
            runs.emplace_back(run, gone);
            continue;
        }
        if (gone != runs.back().second) {
            current = run.parent().insert_child_after(run.name(), current);
            for (const pugi::xml_attribute attribute : run.attributes()) {
                current.append_copy(attribute);
            }
            if (properties) {
                current.append_copy(properties);
            }
            runs.emplace_back(current, gone);
        }
        if (current != run) {
            current.append_move(children[i]);
        }
    }
    for (const auto& [each, gone] : runs) {
        if (gone) {
            wrap(each);
        }
    }
}

void TrackedChangesWriter::wrap(pugi::xml_node run)
{
    for (pugi::xml_node child = run.first_child(); child; child = child.next_sibling()) {
        if (m_names.t == child.name()) {
            child.set_name(m_names.delText.c_str());
        } else if (m_names.instrText == child.name()) {
            child.set_name(m_delInstrText.c_str());
        }
    }
    if (m_lastDeletion && run.previous_sibling() == m_lastDeletion) {
        m_lastDeletion.append_move(run);
        return;
    }
    pugi::xml_node deletion = run.parent().insert_child_before(m_names.del.c_str(), run);
    setRevision(deletion);
    deletion.append_move(run);
    m_lastDeletion = deletion;
}

void TrackedChangesWriter::deleteMark(pugi::xml_node paragraph)
{
    const WordNames& n = m_names;
    pugi::xml_node first = paragraph.first_child();
    while (first && first.type() != pugi::node_element) {
        first = first.next_sibling();
    }
    pugi::xml_node properties = first && n.pPr == first.name() ? first : paragraph.prepend_child(n.pPr.c_str());
    pugi::xml_node markProperties = properties.child(n.rPr.c_str());
    if (!markProperties) {
        // The mark's properties come after every other paragraph property but the section's and
        // the record of changed properties.
        pugi::xml_node before = properties.first_child();
        while (before && n.sectPr != before.name() && m_pPrChange != before.name()) {
            before = before.next_sibling();
        }
        markProperties =
            before ? properties.insert_child_before(n.rPr.c_str(), before) : properties.append_child(n.rPr.c_str());
    }
    if (markProperties.child(n.del.c_str()) || markProperties.child(n.moveFrom.c_str())) {
        // The document's own changes delete the mark already.
        return;
    }
    // In the order insertion, deletion, moves, then the mark's formatting.
    const pugi::xml_node inserted = markProperties.child(n.ins.c_str());
    pugi::xml_node deletion = inserted ? markProperties.insert_child_after(n.del.c_str(), inserted)
                                       : markProperties.prepend_child(n.del.c_str());
    setRevision(deletion);
}

std::vector<pugi::xml_node> TrackedChangesWriter::splitText(pugi::xml_node text, const std::vector<qint64>& bounds)
{
    const QString value = QString::fromUtf8(text.text().get());
    std::vector<pugi::xml_node> result;
    pugi::xml_node previous = text;
    for (std::size_t i = 0; i + 1 < bounds.size(); ++i) {
        pugi::xml_node element = i == 0 ? text : text.parent().insert_child_after(text.name(), previous);
        element.text().set(value.mid(bounds[i], bounds[i + 1] - bounds[i]).toUtf8().constData());
        preserveSpaces(element);
        result.push_back(element);
        previous = element;
    }
    return result;
}

void TrackedChangesWriter::setRevision(pugi::xml_node change)
{
    change.append_attribute(m_id.c_str()) = static_cast<long long>(m_nextId++);
    change.append_attribute(m_author.c_str()) = m_authorName.c_str();
    change.append_attribute(m_date.c_str()) = m_dateValue.c_str();
}

} // namespace quillsift::docx
