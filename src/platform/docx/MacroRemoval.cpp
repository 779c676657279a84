// SPDX-License-Identifier: GPL-3.0-or-later
#include "MacroRemoval.h"

#include "XmlBytes.h"

#include "ContentTypes.h"
#include "Relationships.h"

#include <QSet>

#include <pugixml.hpp>

namespace quillsift::docx {

namespace {

constexpr const char* documentMainType =
    "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml";

/// The relationship kinds that lead to macros, each with the content type of what it leads to.
struct MacroKind {
    const char* kind;
    const char* contentType;
};
constexpr MacroKind mainPartKinds[] = {
    {"vbaProject", "application/vnd.ms-office.vbaProject"},
    {"keyMapCustomizations", "application/vnd.ms-word.keyMapCustomizations+xml"},
    {"attachedToolbars", "application/vnd.ms-word.attachedToolbars"},
};
constexpr MacroKind projectKinds[] = {
    {"wordVbaData", "application/vnd.ms-word.vbaData+xml"},
};

template <std::size_t N>
const MacroKind* kindOf(const Relationships::Relationship& relationship, const MacroKind (&kinds)[N])
{
    for (const MacroKind& kind : kinds) {
        if (relationship.isOfKind(QString::fromLatin1(kind.kind))) {
            return &kind;
        }
    }
    return nullptr;
}

/// Removes from the relationships of mainPart every relationship of a macro kind and returns the
/// parts those pointed at that are what the kind leads to.
QStringList dropMacroRelationships(Package& package, const QString& mainPart, const ContentTypes& types)
{
    QStringList candidates;
    const QString relsName = Relationships::partOf(mainPart);
    const Package::Entry* rels = package.find(relsName);
    if (!rels) {
        return candidates;
    }
    pugi::xml_document document;
    if (!document.load_buffer(rels->data.constData(), size_t(rels->data.size()),
                              pugi::parse_default | pugi::parse_declaration)) {
        return candidates;
    }
    const Relationships read(mainPart, rels->data);
    pugi::xml_node root = document.document_element();
    std::size_t index = 0;
    bool changed = false;
    for (pugi::xml_node node = root.first_child(); node;) {
        const pugi::xml_node next = node.next_sibling();
        if (node.type() == pugi::node_element && index < read.all().size()) {
            const Relationships::Relationship& relationship = read.all()[index++];
            if (const MacroKind* kind = kindOf(relationship, mainPartKinds)) {
                if (!relationship.external && !relationship.climbsOut &&
                    types.typeOf(relationship.part) == QLatin1String(kind->contentType)) {
                    candidates << relationship.part;
                }
                root.remove_child(node);
                changed = true;
            }
        }
        node = next;
    }
    if (changed) {
        package.setData(relsName, xmlBytes(document));
    }
    return candidates;
}

} // namespace

void MacroRemoval::makePlainDocument(Package& package, const QString& mainPart)
{
    Package::Entry* typesEntry = package.find(QString::fromLatin1(ContentTypes::partName));
    if (!typesEntry) {
        return;
    }
    ContentTypes types(typesEntry->data);
    QStringList candidates = dropMacroRelationships(package, mainPart, types);
    // The project's data hangs off the project.
    for (qsizetype i = 0; i < candidates.size(); ++i) {
        const Package::Entry* rels = package.find(Relationships::partOf(candidates[i]));
        if (!rels) {
            continue;
        }
        const Relationships relationships(candidates[i], rels->data);
        for (const auto& relationship : relationships.all()) {
            const MacroKind* kind = kindOf(relationship, projectKinds);
            if (kind && !relationship.external && !relationship.climbsOut &&
                types.typeOf(relationship.part) == QLatin1String(kind->contentType) &&
                !candidates.contains(relationship.part, Qt::CaseInsensitive)) {
                candidates << relationship.part;
            }
        }
    }

    // A part that something staying still points at stays too.
    QSet<QString> dropping;
    for (const QString& candidate : candidates) {
        dropping.insert(candidate.toLower());
    }
    const QString protectedParts[] = {mainPart.toLower(), QStringLiteral("[content_types].xml"),
                                      QStringLiteral("_rels/.rels")};
    for (const QString& part : protectedParts) {
        dropping.remove(part);
    }
    QSet<QString> needed;
    for (const Package::Entry& entry : package.entries()) {
        QString source;
        if (!Relationships::describedPart(entry.name, source) || dropping.contains(source.toLower())) {
            continue;
        }
        const Relationships relationships(source, entry.data);
        for (const auto& relationship : relationships.all()) {
            if (!relationship.external) {
                needed.insert(relationship.part.toLower());
            }
        }
    }
    for (const QString& candidate : candidates) {
        const QString key = candidate.toLower();
        if (!dropping.contains(key) || needed.contains(key)) {
            continue;
        }
        package.remove(candidate);
        package.remove(Relationships::partOf(candidate));
        types.removeOverride(candidate);
        types.removeOverride(Relationships::partOf(candidate));
    }

    // A default that gave the macros' extension their type would give it to any other part of
    // that extension; it goes once no part relies on it.
    const QString macroType = QString::fromLatin1(mainPartKinds[0].contentType);
    if (types.typeOf(QStringLiteral("x.bin")) == macroType) {
        bool relied = false;
        for (const Package::Entry& entry : package.entries()) {
            relied = relied || types.typeOf(entry.name) == macroType;
        }
        if (!relied) {
            types.removeDefault(QStringLiteral("bin"));
        }
    }
    if (types.typeOf(mainPart) != QLatin1String(documentMainType)) {
        types.setOverride(mainPart, QString::fromLatin1(documentMainType));
    }
    typesEntry = package.find(QString::fromLatin1(ContentTypes::partName));
    typesEntry->data = types.toXml();
}

} // namespace quillsift::docx
