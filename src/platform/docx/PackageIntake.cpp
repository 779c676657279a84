// SPDX-License-Identifier: GPL-3.0-or-later
#include "PackageIntake.h"

#include "ContentTypes.h"
#include "Relationships.h"
#include "XmlText.h"
#include "XmlWellFormed.h"

#include "engine/HostError.h"

namespace quillsift::docx {

using engine::HostError;

namespace {

bool isXmlPart(const QString& name)
{
    return name.endsWith(QLatin1String(".xml"), Qt::CaseInsensitive) ||
           name.endsWith(QLatin1String(".rels"), Qt::CaseInsensitive);
}

void repairText(const QString& fileName, Package& package, Package::Entry& entry)
{
    const XmlText::Repairs repairs = XmlText::repair(fileName, entry.name, entry.data);
    for (const QString& sentence : XmlText::describe(entry.name, repairs)) {
        package.addNote(sentence);
    }
}

} // namespace

void PackageIntake::prepare(const QString& fileName, Package& package)
{
    if (!package.find(QString::fromLatin1(ContentTypes::partName))) {
        throw HostError(fileName, QStringLiteral("the package has no [Content_Types].xml, so it is not a sound Word "
                                                 "package"));
    }
    // The package's relationships come first, since they name the main part.
    Package::Entry* packageRelationships = package.find(QStringLiteral("_rels/.rels"));
    if (packageRelationships) {
        repairText(fileName, package, *packageRelationships);
        XmlWellFormed::check(fileName, packageRelationships->name, packageRelationships->data);
    }
    const QString mainPart = package.mainPartName();
    for (Package::Entry& entry : package.entries()) {
        if (&entry == packageRelationships || !isXmlPart(entry.name)) {
            continue;
        }
        repairText(fileName, package, entry);
        if (entry.name.compare(mainPart, Qt::CaseInsensitive) != 0) {
            XmlWellFormed::check(fileName, entry.name, entry.data);
        }
    }
    for (const Package::Entry& entry : package.entries()) {
        QString source;
        if (!Relationships::describedPart(entry.name, source)) {
            continue;
        }
        const Relationships relationships(source, entry.data);
        for (const auto& relationship : relationships.all()) {
            if (relationship.climbsOut) {
                throw HostError(fileName, QStringLiteral("the relationship %1 in %2 points outside the package (%3)")
                                              .arg(relationship.id, entry.name, relationship.target));
            }
        }
    }
}

} // namespace quillsift::docx
