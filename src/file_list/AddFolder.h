// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "CommandContext.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <utility>

class QWidget;

namespace quillsift::platform {
class DirectoryEnumeration;
class DirectorySearch;
class FolderBrowser;
class Process;
} // namespace quillsift::platform

namespace quillsift::file_list {

struct UnreadableFolder {
    /// The folder's path as the user chose or reached it, without a trailing separator.
    QString path;
    /// The system's description of the failure.
    QString reason;
};

/// What one folder scan keeps while it walks.
struct FolderWalk {
    /// Device and inode of every folder taken into the walk and of the folders above where it
    /// started: a link that leads back to one of them (an ancestor, or a folder met by another way)
    /// is not entered again, so every walk ends.
    QSet<std::pair<quint64, quint64>> walked;
    /// The folders the walk found below those it started from, each ending in the separator.
    QSet<QString> reached;
    /// The folders that could not be read (wholly or in part), each once, in the order met.
    QList<UnreadableFolder> unreadable;

    /// Notes folder as unreadable for reason, unless it has been noted already.
    void noteUnreadable(const QString& folder, const QString& reason);
    /// Notes folder as unreadable when the pass over it failed, except when the walk reached the
    /// folder and it has vanished since: it was removed meanwhile, or it described a process
    /// that has ended, and nothing in it is missing from the list. A chosen folder that is not
    /// there is still told.
    void notePassFailure(const QString& folder, const platform::DirectoryEnumeration& pass);
};

/// The shell's folder browser, modal over owner: the chosen folder's path, or the empty string
/// when nothing was chosen.
QString BrowseForFolder(QWidget* owner, const QString& prompt, platform::FolderBrowser& browser);

/// Appends to folders every folder below the ones it holds, at any depth, breadth-first: first
/// all folders one level down, grouped by parent in the order of the parents, then two levels
/// down, and so on. Every path in folders ends in the separator, and so does every path added.
/// Hidden folders are not entered. Reads the disk through search and yields to the message loop
/// through process per folder and per entry examined. A folder that cannot be read is noted in
/// walk (when given) and skipped; an entry or a folder found below that vanishes meanwhile is
/// skipped silently.
void CollectSubFolders(QStringList& folders, platform::DirectorySearch& search, platform::Process& process,
                       FolderWalk* walk = nullptr);

/// The bare names of the files in folder (with or without a trailing separator) that match the
/// wildcard pattern, hidden ones included, in the order search hands them out. A folder that
/// cannot be read gives the names read until then and is noted in walk (when given), unless the
/// walk reached it and it has vanished since.
QStringList ListFolderFiles(const QString& folder, const QString& pattern, platform::DirectorySearch& search,
                            FolderWalk* walk = nullptr);

/// " Add All Word Files In Folder": asks for an extension and a folder, then appends every
/// matching file of the folder's whole tree, except names that begin with "~". Uses the
/// context's input box, folder browser, directory search, process and message box.
void addFolderFiles(const CommandContext& context);

} // namespace quillsift::file_list
