// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

namespace quillsift::docx {

/// The relationships of one part of a package, read from its relationships part
/// ("word/_rels/document.xml.rels" for "word/document.xml", "_rels/.rels" for the package), with
/// each internal target resolved to the part name it points at. Reading is lenient: whoever
/// writes the part back has checked it already. Owns its list and nothing else.
class Relationships
{
  public:
    struct Relationship {
        QString id;
        QString type;
        QString target;
        bool external = false;
        /// The part the target names, without a leading slash; empty for an external target.
        QString part;
        /// Whether the target climbs above the package's root ("../../etc/passwd").
        bool climbsOut = false;

        /// Whether the type ends in "/" + kind, as every relationship type URI of a kind does.
        bool isOfKind(const QString& kind) const;
    };

    /// Reads relationshipsXml, the relationships of sourcePart ("" for the package).
    Relationships(const QString& sourcePart, const QByteArray& relationshipsXml);

    const std::vector<Relationship>& all() const
    {
        return m_all;
    }

    /// The relationships part of sourcePart.
    static QString partOf(const QString& sourcePart);
    /// The part a relationships part describes ("" for the package's own); nothing when name
    /// is no relationships part.
    static bool describedPart(const QString& name, QString& sourcePart);
    /// target as a part name, relative to the folder of sourcePart unless it starts with "/".
    static QString resolve(const QString& sourcePart, const QString& target, bool* climbsOut = nullptr);

  private:
    std::vector<Relationship> m_all;
};

} // namespace quillsift::docx
