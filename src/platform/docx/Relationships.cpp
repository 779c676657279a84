// SPDX-License-Identifier: GPL-3.0-or-later
#include "Relationships.h"

#include <QStringList>

#include <pugixml.hpp>

namespace quillsift::docx {

bool Relationships::Relationship::isOfKind(const QString& kind) const
{
    return type.endsWith(kind) && type.size() > kind.size() && type[type.size() - kind.size() - 1] == QLatin1Char('/');
}

Relationships::Relationships(const QString& sourcePart, const QByteArray& relationshipsXml)
{
    pugi::xml_document document;
    if (!document.load_buffer(relationshipsXml.constData(), std::size_t(relationshipsXml.size()))) {
        return;
    }
    for (pugi::xml_node node : document.document_element().children()) {
        if (node.type() != pugi::node_element) {
            continue;
        }
        Relationship relationship;
        relationship.id = QString::fromUtf8(node.attribute("Id").value());
        relationship.type = QString::fromUtf8(node.attribute("Type").value());
        relationship.target = QString::fromUtf8(node.attribute("Target").value());
        relationship.external = QString::fromUtf8(node.attribute("TargetMode").value()) == QLatin1String("External");
        if (!relationship.external) {
            relationship.part = resolve(sourcePart, relationship.target, &relationship.climbsOut);
        }
        m_all.push_back(std::move(relationship));
    }
}

QString Relationships::partOf(const QString& sourcePart)
{
    const qsizetype slash = sourcePart.lastIndexOf(QLatin1Char('/'));
    return sourcePart.left(slash + 1) + QStringLiteral("_rels/") + sourcePart.mid(slash + 1) + QStringLiteral(".rels");
}

bool Relationships::describedPart(const QString& name, QString& sourcePart)
{
    if (!name.endsWith(QLatin1String(".rels"), Qt::CaseInsensitive)) {
        return false;
    }
    const qsizetype slash = name.lastIndexOf(QLatin1Char('/'));
    const QString folder = name.left(slash + 1);
    if (!folder.endsWith(QLatin1String("_rels/"), Qt::CaseInsensitive)) {
        return false;
    }
    const QString file = name.mid(slash + 1);
    sourcePart = folder.left(folder.size() - 6) + file.left(file.size() - 5);
    return true;
}

QString Relationships::resolve(const QString& sourcePart, const QString& target, bool* climbsOut)
{
    QStringList out;
    if (!target.startsWith(QLatin1Char('/'))) {
        out = sourcePart.split(QLatin1Char('/'), Qt::SkipEmptyParts);
        if (!out.isEmpty()) {
            out.removeLast(); // the source's own name; its folder remains
        }
    }
    bool climbed = false;
    for (const QString& segment : target.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (segment == QLatin1String("..")) {
            if (out.isEmpty()) {
                climbed = true;
            } else {
                out.removeLast();
            }
        } else if (segment != QLatin1String(".")) {
            out << segment;
        }
    }
    if (climbsOut) {
        *climbsOut = climbed;
    }
    return out.join(QLatin1Char('/'));
}

} // namespace quillsift::docx
