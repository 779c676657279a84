// SPDX-License-Identifier: GPL-3.0-or-later
#include "TrackedReview.h"

#include "docx/Package.h"

#include <QFile>

#include <pugixml.hpp>

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

namespace quillsift::testing {

namespace {

/// The prefix the part's root binds WordprocessingML to, with its colon ("" for the default).
std::string wordPrefix(const pugi::xml_node root)
{
    for (const pugi::xml_attribute attribute : root.attributes()) {
        const std::string name = attribute.name();
        const std::string value = attribute.value();
        if (value == "http://schemas.openxmlformats.org/wordprocessingml/2006/main" ||
            value == "http://purl.oclc.org/ooxml/wordprocessingml/main") {
            return name == "xmlns" ? std::string() : name.substr(6) + ":";
        }
    }
    return "w:";
}

class Reviewer
{
  public:
    Reviewer(pugi::xml_node root, const QString& author)
        : m_w(wordPrefix(root))
        , m_author(author.toStdString())
        , m_root(root)
    {
    }

    void review(Review review)
    {
        std::vector<pugi::xml_node> deletions;
        collect(m_root, review == Review::JoinDeletedMarks, deletions);
        std::vector<pugi::xml_node> joins;
        for (pugi::xml_node deletion : deletions) {
            pugi::xml_node parent = deletion.parent();
            if (name(parent, "rPr") && name(parent.parent(), "pPr")) {
                if (review != Review::Reject) {
                    joins.push_back(parent.parent().parent());
                }
                parent.remove_child(deletion);
            } else if (review == Review::Accept) {
                parent.remove_child(deletion);
            } else if (review == Review::Reject) {
                for (pugi::xml_node run = deletion.first_child(); run;) {
                    const pugi::xml_node next = run.next_sibling();
                    for (pugi::xml_node child : run.children()) {
                        if (name(child, "delText")) {
                            child.set_name((m_w + "t").c_str());
                        } else if (name(child, "delInstrText")) {
                            child.set_name((m_w + "instrText").c_str());
                        }
                    }
                    parent.insert_move_before(run, deletion);
                    run = next;
                }
                parent.remove_child(deletion);
            }
        }
        for (pugi::xml_node paragraph : joins) {
            join(paragraph);
        }
    }

  private:
    bool name(pugi::xml_node node, const char* local) const
    {
        return node.type() == pugi::node_element && node.name() == m_w + local;
    }

    /// The deletions by the author, or every deleted mark when marksOfAnyone, in document order.
    void collect(pugi::xml_node node, bool marksOfAnyone, std::vector<pugi::xml_node>& found) const
    {
        for (pugi::xml_node child : node.children()) {
            const bool mark = name(node, "rPr") && name(node.parent(), "pPr");
            if (marksOfAnyone && mark && name(child, "moveFrom")) {
                found.push_back(child);
                continue;
            }
            if (name(child, "del")) {
                if (marksOfAnyone ? mark : m_author == child.attribute((m_w + "author").c_str()).value()) {
                    found.push_back(child);
                }
                continue;
            }
            collect(child, marksOfAnyone, found);
        }
    }

    /// The paragraph's content goes to the front of the paragraph after it, or out in front of it
    /// when what follows is no paragraph; the paragraph goes.
    void join(pugi::xml_node paragraph) const
    {
        pugi::xml_node next = paragraph.next_sibling();
        while (next && (next.type() != pugi::node_element ||
                        !(name(next, "p") || name(next, "tbl") || name(next, "sdt") || name(next, "sectPr")))) {
            next = next.next_sibling();
        }
        pugi::xml_node before = paragraph;
        pugi::xml_node into = paragraph.parent();
        if (next && name(next, "p")) {
            into = next;
            before = next.first_child();
            if (before && name(before, "pPr")) {
                before = before.next_sibling();
            }
        }
        for (pugi::xml_node child = paragraph.first_child(); child;) {
            const pugi::xml_node following = child.next_sibling();
            if (!name(child, "pPr")) {
                if (before) {
                    into.insert_move_before(child, before);
                } else {
                    into.append_move(child);
                }
            }
            child = following;
        }
        paragraph.parent().remove_child(paragraph);
    }

    std::string m_w;
    std::string m_author;
    pugi::xml_node m_root;
};

} // namespace

QByteArray reviewed(const QByteArray& mainPart, Review review, const QString& author)
{
    pugi::xml_document document;
    if (!document.load_buffer(mainPart.constData(), std::size_t(mainPart.size()),
                              pugi::parse_default | pugi::parse_ws_pcdata_single)) {
        return {};
    }
    Reviewer(document.document_element(), author).review(review);
    std::ostringstream out;
    document.save(out, "", pugi::format_raw);
    const std::string bytes = out.str();
    return QByteArray(bytes.data(), qsizetype(bytes.size()));
}

QByteArray mainPartOf(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const docx::Package package = docx::Package::fromZip(path, file.readAll());
    const docx::Package::Entry* main = package.find(package.mainPartName());
    return main ? main->data : QByteArray();
}

QString reviewedCopy(const QString& path, const QString& target, Review review, const QString& author)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    docx::Package package = docx::Package::fromZip(path, file.readAll());
    const QString main = package.mainPartName();
    package.setData(main, reviewed(package.find(main)->data, review, author));
    QFile out(target);
    if (!out.open(QIODevice::WriteOnly)) {
        return {};
    }
    out.write(package.toZip(target));
    return target;
}

} // namespace quillsift::testing
