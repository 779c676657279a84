// SPDX-License-Identifier: GPL-3.0-or-later
#include "DocxFixture.h"

#include "docx/Package.h"
#include "docx/Relationships.h"
#include "docx/XmlWellFormed.h"
#include "engine/HostError.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <pugixml.hpp>

namespace quillsift::testing {

QString writeFile(const QString& folder, const QString& name, const QByteArray& bytes)
{
    const QString path = QDir(folder).filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(bytes);
    }
    return path;
}

QStringList paragraphTexts(engine::Document& document)
{
    QStringList result;
    for (auto paragraph = document.range()->paragraph(1); paragraph;
         paragraph = paragraph->next(engine::Unit::Paragraph)) {
        result << paragraph->text();
    }
    return result;
}

QStringList wordTexts(engine::Document& document)
{
    QStringList result;
    for (auto word = document.range()->word(1); word; word = word->next(engine::Unit::Word)) {
        result << word->text();
    }
    return result;
}

QStringList packageProblems(const QString& path)
{
    QStringList problems;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {u("cannot read ") + path};
    }
    docx::Package package;
    try {
        package = docx::Package::fromZip(path, file.readAll());
    } catch (const std::exception& error) {
        return {QString::fromUtf8(error.what())};
    }
    // A package read with anything left out or mended is no sound one.
    for (const QString& note : package.notes()) {
        problems << note;
    }
    QSet<QString> names;
    for (const auto& entry : package.entries()) {
        names.insert(entry.name.toLower());
    }
    pugi::xml_document types;
    const auto* typesEntry = package.find(u("[Content_Types].xml"));
    if (!typesEntry || !types.load_buffer(typesEntry->data.constData(), size_t(typesEntry->data.size()))) {
        return {u("no readable [Content_Types].xml")};
    }
    QSet<QString> defaults;
    QSet<QString> overrides;
    for (pugi::xml_node node : types.document_element().children()) {
        if (std::string(node.name()) == "Default") {
            defaults.insert(QString::fromUtf8(node.attribute("Extension").value()).toLower());
        } else if (std::string(node.name()) == "Override") {
            const QString part = QString::fromUtf8(node.attribute("PartName").value()).mid(1).toLower();
            overrides.insert(part);
            if (!names.contains(part)) {
                problems << u("content type for a missing part ") + part;
            }
        }
    }
    for (const auto& entry : package.entries()) {
        const QString lower = entry.name.toLower();
        // The content types part names no type for itself, and consumers ignore the legacy [trash] folder.
        const bool exempt = lower == u("[content_types].xml") || lower.startsWith(u("[trash]/"));
        if (!exempt && !overrides.contains(lower) && !defaults.contains(QFileInfo(lower).suffix())) {
            problems << u("no content type for ") + entry.name;
        }
        if (!lower.endsWith(u(".xml")) && !lower.endsWith(u(".rels"))) {
            continue;
        }
        try {
            docx::XmlWellFormed::check(path, entry.name, entry.data);
        } catch (const engine::HostError& error) {
            problems << error.cause();
            continue;
        }
        pugi::xml_document xml;
        if (!xml.load_buffer(entry.data.constData(), size_t(entry.data.size()))) {
            problems << u("not well-formed: ") + entry.name;
            continue;
        }
        QString source;
        if (docx::Relationships::describedPart(entry.name, source)) {
            const docx::Relationships relationships(source, entry.data);
            for (const auto& relationship : relationships.all()) {
                if (relationship.external) {
                    continue;
                }
                if (relationship.climbsOut) {
                    problems << entry.name + u(" points outside the package: ") + relationship.target;
                } else if (!names.contains(relationship.part.toLower())) {
                    problems << entry.name + u(" points to a missing part ") + relationship.part;
                }
            }
        }
        for (const auto& cell : xml.select_nodes("//w:tc")) {
            bool hasParagraph = false;
            for (pugi::xml_node child : cell.node().children()) {
                hasParagraph =
                    hasParagraph || std::string(child.name()) == "w:p" || std::string(child.name()) == "w:sdt";
            }
            if (!hasParagraph) {
                problems << u("a table cell without a paragraph in ") + entry.name;
            }
        }
    }
    return problems;
}

QByteArray checksum(const QString& path)
{
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (file.open(QIODevice::ReadOnly)) {
        hash.addData(&file);
    }
    return hash.result().toHex();
}

} // namespace quillsift::testing
