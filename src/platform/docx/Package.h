// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Deflate.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <memory>
#include <optional>
#include <vector>

namespace quillsift::docx {

/// The parts of an OPC package (a .docx and its relatives, or an OpenDocument file before its
/// conversion), held in memory in their original order, with what was left out or mended on the
/// way in. Reading checks the zip archive itself: sizes, CRCs, entry names; what the parts hold is
/// PackageIntake's to check. Owns the parts' bytes and the notes.
class Package
{
  public:
    struct Entry {
        QString name;
        QByteArray data;
        /// The bytes given deflated instead, for a large part written out as it was deflated:
        /// then data is empty. Only a package about to be written holds such an entry.
        std::shared_ptr<const Deflated> deflated;
    };

    /// Limits that keep a hostile package from exhausting memory before it is refused.
    static constexpr qint64 maxEntries = 10000;
    static constexpr qint64 maxTotalSize = qint64(1) << 30;
    static constexpr qint64 maxExpansion = 200;
    static constexpr int maxXmlDepth = 1000;

    /// Reads a zip package from bytes already read from fileName. Throws HostError naming the file.
    /// An entry whose name climbs out of the package ("../x.xml", "/etc/x.xml", "C:\\x.xml") is
    /// left out, and so is every entry after the first of a name (names compare without regard to
    /// case, as part names do); each is noted.
    static Package fromZip(const QString& fileName, const QByteArray& bytes);

    /// Whether bytes start like a zip archive or an OLE compound file.
    static bool looksLikeZip(const QByteArray& bytes);
    static bool looksLikeCompoundFile(const QByteArray& bytes);

    const std::vector<Entry>& entries() const
    {
        return m_entries;
    }
    std::vector<Entry>& entries()
    {
        return m_entries;
    }
    /// The entry named name (OPC part names compare without regard to case), or nullptr.
    const Entry* find(const QString& name) const;
    Entry* find(const QString& name);
    void setData(const QString& name, const QByteArray& data);
    /// Gives the entry named name its bytes deflated (Entry::deflated).
    void setDeflated(const QString& name, Deflated deflated);
    void remove(const QString& name);

    /// The main document part named by the package relationships, without a leading slash.
    /// Empty when the package names none.
    QString mainPartName() const;

    /// The zip archive of every entry, in order. A large part is deflated in pieces on the
    /// processors that processors can lend. Throws HostError naming fileName on failure.
    QByteArray toZip(const QString& fileName, platform::ProcessorShare* processors = nullptr) const;

    /// What was left out or mended while the package was read and checked, in sentences for the
    /// user that name the part concerned.
    const QStringList& notes() const
    {
        return m_notes;
    }
    void addNote(const QString& note)
    {
        m_notes << note;
    }

  private:
    /// The zip archive of every entry, each given in deflated[i] deflated already or else
    /// deflated by libzip.
    QByteArray writeZip(const QString& fileName, const std::vector<std::optional<Deflated>>& deflated) const;

    std::vector<Entry> m_entries;
    QStringList m_notes;
};

} // namespace quillsift::docx
