// SPDX-License-Identifier: GPL-3.0-or-later
#include "ContentTypes.h"

#include "XmlBytes.h"

#include <cstring>

namespace quillsift::docx {

namespace {

bool named(pugi::xml_node node, const char* local)
{
    const char* name = node.name();
    const char* colon = std::strchr(name, ':');
    return std::strcmp(colon ? colon + 1 : name, local) == 0;
}

QString extensionOf(const QString& part)
{
    const qsizetype slash = part.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = part.lastIndexOf(QLatin1Char('.'));
    return dot > slash ? part.mid(dot + 1) : QString();
}

QString bare(const QString& part)
{
    return part.startsWith(QLatin1Char('/')) ? part.mid(1) : part;
}

} // namespace

ContentTypes::ContentTypes(const QByteArray& xml)
{
    m_document.load_buffer(xml.constData(), std::size_t(xml.size()), pugi::parse_default | pugi::parse_declaration);
}

pugi::xml_node ContentTypes::findOverride(const QString& part) const
{
    for (pugi::xml_node node : m_document.document_element().children()) {
        if (named(node, "Override") &&
            bare(QString::fromUtf8(node.attribute("PartName").value())).compare(part, Qt::CaseInsensitive) == 0) {
            return node;
        }
    }
    return {};
}

pugi::xml_node ContentTypes::findDefault(const QString& extension) const
{
    for (pugi::xml_node node : m_document.document_element().children()) {
        if (named(node, "Default") &&
            QString::fromUtf8(node.attribute("Extension").value()).compare(extension, Qt::CaseInsensitive) == 0) {
            return node;
        }
    }
    return {};
}

QString ContentTypes::typeOf(const QString& part) const
{
    if (pugi::xml_node node = findOverride(part)) {
        return QString::fromUtf8(node.attribute("ContentType").value());
    }
    const QString extension = extensionOf(part);
    if (pugi::xml_node node = extension.isEmpty() ? pugi::xml_node() : findDefault(extension)) {
        return QString::fromUtf8(node.attribute("ContentType").value());
    }
    return {};
}

bool ContentTypes::hasDefault(const QString& extension) const
{
    return bool(findDefault(extension));
}

void ContentTypes::setOverride(const QString& part, const QString& type)
{
    pugi::xml_node node = findOverride(part);
    if (!node) {
        node = m_document.document_element().append_child("Override");
        node.append_attribute("PartName").set_value((QLatin1Char('/') + part).toUtf8().constData());
        node.append_attribute("ContentType");
    }
    node.attribute("ContentType").set_value(type.toUtf8().constData());
}

void ContentTypes::removeOverride(const QString& part)
{
    if (pugi::xml_node node = findOverride(part)) {
        m_document.document_element().remove_child(node);
    }
}

void ContentTypes::removeDefault(const QString& extension)
{
    if (pugi::xml_node node = findDefault(extension)) {
        m_document.document_element().remove_child(node);
    }
}

QByteArray ContentTypes::toXml() const
{
    return xmlBytes(m_document);
}

} // namespace quillsift::docx
