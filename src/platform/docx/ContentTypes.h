// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <pugixml.hpp>

namespace quillsift::docx {

/// A package's "[Content_Types].xml": the content type of each part, by its own override or by
/// the default for its extension, and the edits a save as another kind of document makes to
/// them. Owns the parsed part; touches nothing else.
class ContentTypes
{
  public:
    static constexpr const char* partName = "[Content_Types].xml";

    explicit ContentTypes(const QByteArray& xml);

    /// The content type of part (a part name without a leading slash; compared without regard
    /// to case, as part names are); empty when the package gives it none.
    QString typeOf(const QString& part) const;
    /// Whether a Default gives extension a type.
    bool hasDefault(const QString& extension) const;

    void setOverride(const QString& part, const QString& type);
    void removeOverride(const QString& part);
    void removeDefault(const QString& extension);

    QByteArray toXml() const;

  private:
    pugi::xml_node findOverride(const QString& part) const;
    pugi::xml_node findDefault(const QString& extension) const;

    pugi::xml_document m_document;
};

} // namespace quillsift::docx
