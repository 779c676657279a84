// SPDX-License-Identifier: GPL-3.0-or-later
#include "AddFolder.h"

#include "FileList.h"
#include "platform/DirectorySearch.h"
#include "platform/Services.h"
#include "platform/WindowState.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <memory>

namespace quillsift::file_list {

namespace {

namespace attribute = platform::file_attribute;

/// How many unreadable folders the closing message names before it only counts the rest.
constexpr qsizetype kUnreadableFoldersNamed = 20;

QChar separator()
{
    return QDir::separator();
}

QString withSeparator(const QString& folder)
{
    return folder.endsWith(separator()) ? folder : folder + separator();
}

/// A folder's path as the user knows it: no trailing separator, except for the root itself.
QString withoutSeparator(const QString& folder)
{
    QString path = folder;
    if (path.size() > 1 && path.endsWith(separator())) {
        path.chop(1);
    }
    return path;
}

QString unreadableFoldersMessage(const QList<UnreadableFolder>& unreadable)
{
    QString text =
        unreadable.size() == 1
            ? QStringLiteral("This folder could not be read, so files in it may be missing from the list:\n")
            : QStringLiteral("These folders could not be read, so files in them may be missing from the list:\n");
    const qsizetype named = std::min(unreadable.size(), kUnreadableFoldersNamed);
    for (qsizetype i = 0; i < named; ++i) {
        text += QStringLiteral("\n%1 (%2)").arg(unreadable.at(i).path, unreadable.at(i).reason);
    }
    if (unreadable.size() > named) {
        text += QStringLiteral("\n... and %1 more.").arg(unreadable.size() - named);
    }
    return text;
}

} // namespace

void FolderWalk::noteUnreadable(const QString& folder, const QString& reason)
{
    const QString path = withoutSeparator(folder);
    for (const UnreadableFolder& known : std::as_const(unreadable)) {
        if (known.path == path) {
            return;
        }
    }
    unreadable.append({path, reason});
}

void FolderWalk::notePassFailure(const QString& folder, const platform::DirectoryEnumeration& pass)
{
    if (pass.error().isEmpty() || (pass.vanished() && reached.contains(withSeparator(folder)))) {
        return;
    }
    noteUnreadable(folder, pass.error());
}

QString BrowseForFolder(QWidget* owner, const QString& prompt, platform::FolderBrowser& browser)
{
    const QString chosen = browser.browse(owner, prompt);
    const qsizetype nul = chosen.indexOf(QChar(u'\0'));
    return nul < 0 ? chosen : chosen.left(nul);
}

void CollectSubFolders(QStringList& folders, platform::DirectorySearch& search, platform::Process& process,
                       FolderWalk* walk)
{
    FolderWalk ownWalk;
    FolderWalk& state = walk ? *walk : ownWalk;

    // The folders to walk, and the folders above them: a link that leads up to one of those would
    // walk the tree again, or everything around it.
    for (const QString& folder : std::as_const(folders)) {
        QString path = QDir::cleanPath(folder);
        for (;;) {
            if (const auto attributes = search.attributes(path)) {
                state.walked.insert({attributes->device, attributes->inode});
            }
            const QString parent = QFileInfo(path).path();
            if (parent == path || parent == QLatin1String(".")) {
                break;
            }
            path = parent;
        }
    }

    // Level by level: every folder of one level is enumerated to its end before the level below
    // is started, which gives the breadth-first order.
    QStringList found;
    QStringList level = folders;
    while (!level.isEmpty()) {
        QStringList below;
        for (const QString& folder : std::as_const(level)) {
            const std::unique_ptr<platform::DirectoryEnumeration> entries =
                search.enumerate(folder, QStringLiteral("*"), attribute::Directory);
            process.yield();
            for (QString name = entries->next(); !name.isEmpty(); name = entries->next()) {
                process.yield();
                if (name == QLatin1String(".") || name == QLatin1String("..")) {
                    continue;
                }
                // The pass already knows which entries are folders; only those need the query,
                // which tells where a link leads.
                if ((entries->attributes() & attribute::Directory) == 0) {
                    continue;
                }
                const QString path = folder + name;
                platform::FileAttributesError error;
                const auto attributes = search.attributes(path, &error);
                if (!attributes) {
                    // An entry that vanished since the enumeration handed it out is simply gone.
                    if (!error.missing) {
                        state.noteUnreadable(folder, error.reason);
                    }
                    continue;
                }
                if ((attributes->attributes & attribute::Directory) == 0) {
                    continue;
                }
                // A link back to an ancestor, or to a folder reached another way, would make the
                // walk endless or list the same files twice.
                if (!state.walked.contains({attributes->device, attributes->inode})) {
                    state.walked.insert({attributes->device, attributes->inode});
                    state.reached.insert(path + separator());
                    below.append(path + separator());
                }
            }
            state.notePassFailure(folder, *entries);
        }
        found += below;
        level = below;
    }

    for (const QString& folder : std::as_const(found)) {
        process.yield();
        folders.append(folder);
    }
}

QStringList ListFolderFiles(const QString& folder, const QString& pattern, platform::DirectorySearch& search,
                            FolderWalk* walk)
{
    const QString path = withSeparator(folder);
    QStringList names;
    names.reserve(100);
    const std::unique_ptr<platform::DirectoryEnumeration> entries =
        search.enumerate(path, pattern, attribute::Hidden | attribute::System);
    for (QString name = entries->next(); !name.isEmpty(); name = entries->next()) {
        names.append(name);
    }
    if (walk) {
        walk->notePassFailure(path, *entries);
    }
    names.squeeze();
    return names;
}

void addFolderFiles(const CommandContext& context)
{
    if (context.window.busy()) {
        return;
    }
    const platform::Services& services = context.services;
    FolderWalk walk;
    {
        platform::BusyGuard busy(context.window);
        const QString extension = services.inputBox->ask(context.owner, QStringLiteral("Enter file extension to load:"),
                                                         QStringLiteral("doc"));
        if (extension.isEmpty()) {
            return;
        }
        const QString folder =
            BrowseForFolder(context.owner, QStringLiteral("Please select folder to add:"), *services.folderBrowser);
        if (folder.isEmpty()) {
            return;
        }
        busy.showHourglass();

        QStringList folders{withSeparator(folder)};
        CollectSubFolders(folders, *services.directorySearch, *services.process, &walk);

        const QString pattern = QStringLiteral("*.") + extension;
        for (const QString& each : std::as_const(folders)) {
            // Listing thousands of folders on a slow disk takes long enough to be felt.
            services.process->yield();
            const QStringList names = ListFolderFiles(each, pattern, *services.directorySearch, &walk);
            for (const QString& name : names) {
                if (!name.startsWith(QLatin1Char('~'))) {
                    context.list.append(each + name);
                }
            }
        }
    }
    if (!walk.unreadable.isEmpty()) {
        services.messageBox->show(context.owner, unreadableFoldersMessage(walk.unreadable),
                                  platform::MsgBoxButtons::Ok);
    }
}

} // namespace quillsift::file_list
