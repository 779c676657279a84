// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Deflate.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <optional>
#include <vector>

namespace pugi {
class xml_document;
}

namespace quillsift::docx {

/// The parts of an OPC package (a .docx and its relatives), held in memory in their original order.
/// Reading checks the whole package up front: sizes, CRCs and the well-formedness of every XML part
/// but the main document part, so a document that opens is one that can be saved again. The main
/// part is the largest by far; whoever parses it checks it with parseXml, so it is parsed once.
class Package
{
  public:
    struct Entry {
        QString name;
        QByteArray data;
    };

    /// Limits that keep a hostile package from exhausting memory before it is refused.
    static constexpr qint64 maxEntries = 10000;
    static constexpr qint64 maxTotalSize = qint64(1) << 30;
    static constexpr qint64 maxExpansion = 200;
    static constexpr int maxXmlDepth = 1000;

    /// Reads a zip package from bytes already read from fileName. Throws HostError naming the file.
    static Package fromZip(const QString& fileName, const QByteArray& bytes);

    /// Whether bytes start like a zip archive or an OLE compound file.
    static bool looksLikeZip(const QByteArray& bytes);
    static bool looksLikeCompoundFile(const QByteArray& bytes);

    const std::vector<Entry>& entries() const
    {
        return m_entries;
    }
    /// The entry named name (OPC part names compare without regard to case), or nullptr.
    const Entry* find(const QString& name) const;
    Entry* find(const QString& name);
    void setData(const QString& name, const QByteArray& data);
    void remove(const QString& name);

    /// The main document part named by the package relationships, without a leading slash.
    /// Empty when the package names none.
    QString mainPartName() const;

    /// The zip archive of every entry, in order. Throws HostError naming fileName on failure.
    QByteArray toZip(const QString& fileName) const;

    /// Checks that data is well-formed XML without a document type declaration and not nested
    /// deeper than maxXmlDepth; throws HostError naming fileName and the part otherwise.
    static void checkXml(const QString& fileName, const QString& partName, const QByteArray& data);
    /// Parses size bytes at data in place into document (data must outlive it), with pugixml's
    /// options besides those checkXml needs, and checks the result as checkXml does.
    static void parseXml(const QString& fileName, const QString& partName, pugi::xml_document& document, char* data,
                         std::size_t size, unsigned options);

  private:
    /// The zip archive of every entry, each given in deflated[i] deflated already or else
    /// deflated by libzip.
    QByteArray writeZip(const QString& fileName, const std::vector<std::optional<Deflated>>& deflated) const;

    std::vector<Entry> m_entries;
};

} // namespace quillsift::docx
