// SPDX-License-Identifier: GPL-3.0-or-later
#include "DocxDocument.h"

#include "DocxRange.h"
#include "PlainText.h"

#include "engine/HostError.h"

#include <QFileInfo>
#include <QSaveFile>
#include <QSet>

#include <pugixml.hpp>

namespace quillsift::docx {

using engine::HostError;

namespace {

constexpr const char* documentMainType =
    "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml";

struct ByteWriter : pugi::xml_writer {
    QByteArray bytes;
    void write(const void* data, size_t size) override
    {
        bytes.append(static_cast<const char*>(data), qsizetype(size));
    }
};

QByteArray serialize(const pugi::xml_document& document)
{
    ByteWriter writer;
    document.save(writer, "", pugi::format_raw, pugi::encoding_utf8);
    return writer.bytes;
}

QString relationshipsOf(const QString& part)
{
    const qsizetype slash = part.lastIndexOf(QLatin1Char('/'));
    return part.left(slash + 1) + QStringLiteral("_rels/") + part.mid(slash + 1) + QStringLiteral(".rels");
}

QString resolve(const QString& part, const QString& target)
{
    if (target.startsWith(QLatin1Char('/'))) {
        return target.mid(1);
    }
    QStringList segments = part.split(QLatin1Char('/'));
    segments.removeLast();
    for (const QString& segment : target.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (segment == QLatin1String("..")) {
            if (!segments.isEmpty()) {
                segments.removeLast();
            }
        } else if (segment != QLatin1String(".")) {
            segments << segment;
        }
    }
    return segments.join(QLatin1Char('/'));
}

/// Removes from partName's relationships those of the given kinds and returns their targets.
QStringList dropRelationships(Package& package, const QString& partName, const QStringList& kinds)
{
    QStringList removed;
    const QString relsName = relationshipsOf(partName);
    const Package::Entry* rels = package.find(relsName);
    if (!rels) {
        return removed;
    }
    pugi::xml_document document;
    if (!document.load_buffer(rels->data.constData(), size_t(rels->data.size()),
                              pugi::parse_default | pugi::parse_declaration)) {
        return removed;
    }
    pugi::xml_node root = document.document_element();
    for (pugi::xml_node relationship = root.first_child(); relationship;) {
        const pugi::xml_node next = relationship.next_sibling();
        const QString type = QString::fromUtf8(relationship.attribute("Type").value());
        for (const QString& kind : kinds) {
            if (type.endsWith(QLatin1Char('/') + kind)) {
                if (QString::fromUtf8(relationship.attribute("TargetMode").value()) != QLatin1String("External")) {
                    removed << resolve(partName, QString::fromUtf8(relationship.attribute("Target").value()));
                }
                root.remove_child(relationship);
                break;
            }
        }
        relationship = next;
    }
    if (!removed.isEmpty()) {
        package.setData(relsName, serialize(document));
    }
    return removed;
}

/// What Word does when a macro-enabled document or a template is saved as a plain document:
/// the macros and their customisations go, and the main part becomes a document's.
void makePlainDocument(Package& package, const QString& mainPart)
{
    QStringList parts = dropRelationships(
        package, mainPart,
        {QStringLiteral("vbaProject"), QStringLiteral("keyMapCustomizations"), QStringLiteral("attachedToolbars")});
    QSet<QString> gone;
    while (!parts.isEmpty()) {
        const QString part = parts.takeFirst();
        if (gone.contains(part.toLower())) {
            continue;
        }
        gone.insert(part.toLower());
        // Parts reached only through a macro part (vbaData.xml) go with it.
        if (const Package::Entry* rels = package.find(relationshipsOf(part))) {
            pugi::xml_document document;
            if (document.load_buffer(rels->data.constData(), size_t(rels->data.size()))) {
                for (pugi::xml_node relationship : document.document_element().children()) {
                    if (QString::fromUtf8(relationship.attribute("TargetMode").value()) != QLatin1String("External")) {
                        parts << resolve(part, QString::fromUtf8(relationship.attribute("Target").value()));
                    }
                }
            }
            gone.insert(relationshipsOf(part).toLower());
            package.remove(relationshipsOf(part));
        }
        package.remove(part);
    }

    Package::Entry* types = package.find(QStringLiteral("[Content_Types].xml"));
    if (!types) {
        return;
    }
    pugi::xml_document document;
    if (!document.load_buffer(types->data.constData(), size_t(types->data.size()),
                              pugi::parse_default | pugi::parse_declaration)) {
        return;
    }
    pugi::xml_node root = document.document_element();
    for (pugi::xml_node entry = root.first_child(); entry;) {
        const pugi::xml_node next = entry.next_sibling();
        const QString partName = QString::fromUtf8(entry.attribute("PartName").value());
        const QString contentType = QString::fromUtf8(entry.attribute("ContentType").value());
        if (!partName.isEmpty()) {
            const QString bare = partName.startsWith(QLatin1Char('/')) ? partName.mid(1) : partName;
            if (gone.contains(bare.toLower())) {
                root.remove_child(entry);
            } else if (bare.compare(mainPart, Qt::CaseInsensitive) == 0) {
                entry.attribute("ContentType").set_value(documentMainType);
            }
        } else if (contentType == QLatin1String("application/vnd.ms-office.vbaProject")) {
            root.remove_child(entry);
        }
        entry = next;
    }
    types->data = serialize(document);
}

QString comparable(const QString& path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

} // namespace

DocxDocument::DocxDocument(QString name, QString fullName, std::shared_ptr<DocxStory> story, CloseHandler onClose)
    : m_name(std::move(name))
    , m_fullName(std::move(fullName))
    , m_story(std::move(story))
    , m_onClose(std::move(onClose))
{
}

QString DocxDocument::name() const
{
    return m_name;
}

QString DocxDocument::fullName() const
{
    return m_fullName;
}

std::unique_ptr<engine::Range> DocxDocument::content()
{
    m_story->ensureOpen();
    return std::make_unique<DocxRange>(m_story, 0, m_story->length());
}

std::unique_ptr<engine::Range> DocxDocument::range()
{
    return content();
}

void DocxDocument::close()
{
    if (m_story->isClosed()) {
        return;
    }
    m_story->close();
    if (m_onClose) {
        m_onClose(this);
    }
}

void DocxDocument::saveAs(const QString& path)
{
    m_story->ensureOpen();
    const QString target = comparable(path);
    for (const QString& source : {m_fullName, m_story->copiedFrom()}) {
        if (!source.isEmpty() && comparable(source) == target) {
            throw HostError(path, QStringLiteral("this is the document's source file, which is never written"));
        }
    }
    const QString suffix = QFileInfo(path).suffix().toLower();
    QByteArray bytes;
    if (suffix == QLatin1String("txt")) {
        bytes = PlainText::encode(m_story->text(0, m_story->length()));
    } else {
        Package package = m_story->package();
        if (suffix != QLatin1String("docm") && suffix != QLatin1String("dotm") && suffix != QLatin1String("dotx")) {
            makePlainDocument(package, m_story->mainPartName());
        }
        bytes = package.toZip(path);
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        throw HostError(path, QStringLiteral("the file cannot be written (%1)").arg(file.errorString()));
    }
    m_story->setModified(false);
}

bool DocxDocument::saved() const
{
    return !m_story->isModified();
}

QString DocxDocument::sourcePath() const
{
    return m_story->copiedFrom();
}

bool DocxDocument::isPlainText() const
{
    return m_story->isPlainText();
}

std::vector<DocxStory::Deletion> DocxDocument::deletions() const
{
    return m_story->deletions();
}

std::size_t DocxDocument::deletionCount() const
{
    return m_story->deletionCount();
}

std::vector<DocxStory::FormattedParagraph> DocxDocument::formattedParagraphs() const
{
    return m_story->formattedParagraphs();
}

} // namespace quillsift::docx
