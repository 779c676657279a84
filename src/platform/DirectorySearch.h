// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <memory>
#include <optional>

namespace quillsift::platform {

/// File attributes with the values Windows gives them, so that attribute filters read the same on
/// every platform. On POSIX systems a name that begins with "." is hidden and nothing is a system file.
namespace file_attribute {
inline constexpr quint32 Normal = 0;
inline constexpr quint32 ReadOnly = 1;
inline constexpr quint32 Hidden = 2;
inline constexpr quint32 System = 4;
inline constexpr quint32 Directory = 16;
inline constexpr quint32 Archive = 32;
/// Anything that is neither a folder nor a plain file (a pipe, a socket, a device): never listed.
inline constexpr quint32 Device = 64;
} // namespace file_attribute

/// What an attribute query tells about one path, links followed.
struct FileAttributes {
    quint32 attributes = file_attribute::Normal;
    /// Together they identify the folder or file the path leads to: two paths with equal values are
    /// the same object on disk, whichever links they pass through.
    quint64 device = 0;
    quint64 inode = 0;
};

/// Why an attribute query failed.
struct FileAttributesError {
    /// The path no longer exists (or is a link that leads nowhere, or, under /proc, belonged to a
    /// process that has ended).
    bool missing = false;
    /// The system's description of the failure.
    QString reason;
};

/// One pass over the entries of one folder. Each pass has a cursor of its own, so passes over
/// different folders may be interleaved.
class DirectoryEnumeration
{
  public:
    virtual ~DirectoryEnumeration() = default;
    /// The next entry's bare name, or the empty string when there are no more. Never "." or "..".
    virtual QString next() = 0;
    /// The attributes of the entry last handed out, as far as the pass learnt them: Directory and
    /// Hidden are always right (links followed); ReadOnly is not looked at. Lets a caller that
    /// only wants folders skip the attribute query for everything else.
    virtual quint32 attributes() const = 0;
    /// Empty while the pass is fine or ran to its end; otherwise why the folder could not be read
    /// in full. The names handed out stay valid; the pass may go on after an entry it had to leave out.
    virtual QString error() const = 0;
    /// The folder itself is gone: removed after whoever named it had seen it, or, under /proc, the
    /// process it described has ended. error() says so too; a walk that reached the folder may
    /// pass over it silently.
    virtual bool vanished() const = 0;
};

/// Directory enumeration with attribute filters, and the attribute query.
class DirectorySearch
{
  public:
    virtual ~DirectorySearch() = default;

    /// Starts a pass over the entries of folder (with or without a trailing separator) whose names
    /// match pattern, with the rules of the Windows directory search: letters match regardless of
    /// case, "*" any run of characters, "?" one character, "*.*" every name (with a dot or not), and
    /// a pattern whose extension has three characters also matches longer extensions that begin with
    /// them ("*.doc" takes in .docx and .docm).
    ///
    /// attributeFilter works as the Windows one does: plain files are always returned; an entry that
    /// carries Hidden, System or Directory is returned only when the filter holds every one of those
    /// it carries. Directory (16) thus gives plain files and folders but nothing hidden; Hidden | System
    /// (6) gives files of every kind and no folders. Links are judged by what they lead to.
    virtual std::unique_ptr<DirectoryEnumeration> enumerate(const QString& folder, const QString& pattern,
                                                            quint32 attributeFilter) = 0;

    /// The attributes of path, or nothing (with the cause in error, when given) when they cannot be read.
    virtual std::optional<FileAttributes> attributes(const QString& path, FileAttributesError* error = nullptr) = 0;
};

/// The directory search of the platform the program runs on. It lives as long as the program.
DirectorySearch& localDirectorySearch();

} // namespace quillsift::platform
