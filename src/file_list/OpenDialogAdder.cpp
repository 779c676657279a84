// SPDX-License-Identifier: GPL-3.0-or-later
#include "OpenDialogAdder.h"

#include "FileList.h"
#include "platform/Services.h"
#include "platform/WindowState.h"

#include <QDir>

namespace quillsift::file_list {

namespace {

/// OFN_LONGNAMES | OFN_EXPLORER | OFN_ALLOWMULTISELECT | OFN_READONLY.
constexpr quint32 kAddFilesFlags = 0x280201;

/// Collapses every pair of separators to one, left to right, a collapsed pair not looked at
/// again. A network path's leading pair ("\\server\share") is the exception: it is kept, since
/// collapsing it would turn the path into a different one.
QString collapseDoubledSeparators(const QString& path, bool keepLeadingPair)
{
    const QString pair(2, QDir::separator());
    if (keepLeadingPair && path.startsWith(pair)) {
        return pair + QString(path.mid(2)).replace(pair, QString(QDir::separator()));
    }
    return QString(path).replace(pair, QString(QDir::separator()));
}

} // namespace

platform::OpenFileRequest addFilesRequest()
{
    platform::OpenFileRequest request;
    request.fileName = QString();
    request.flags = kAddFilesFlags;
    request.dialogTitle = QStringLiteral("Add File(s) - Use Ctrl & Shift to select multiple files");
    request.filter = QStringLiteral("Word Documents (*.do*)|*.do*|All Files (*.*)|*.*");
    return request;
}

QStringList pathsFromOpenFileResult(const QString& fileName)
{
    if (fileName.isEmpty()) {
        return {};
    }
    const QStringList parts = fileName.split(QChar(u'\0'));
    if (parts.size() == 1) {
        return parts;
    }
    const QString& folder = parts.first();
    const bool networkFolder =
        folder.startsWith(QString(2, QDir::separator())) && folder.size() > 2 && folder.at(2) != QDir::separator();
    QStringList paths;
    paths.reserve(parts.size() - 1);
    for (qsizetype i = 1; i < parts.size(); ++i) {
        if (parts.at(i).isEmpty()) {
            continue; // a stray NUL names no file; joining it would add the folder itself
        }
        paths.append(collapseDoubledSeparators(folder + QDir::separator() + parts.at(i), networkFolder));
    }
    return paths;
}

void addThroughOpenDialog(const CommandContext& context)
{
    if (context.window.busy()) {
        return;
    }
    const platform::OpenFileResult result = context.services.openFileDialog->showOpen(context.owner, addFilesRequest());
    if (result.tooLong) {
        // The names of a very large selection do not fit into the dialog's result; appending the
        // part that fits would leave the user guessing which files are missing.
        context.services.messageBox->show(
            context.owner,
            QStringLiteral("You chose %1 files at once, more than can be added in one go. No file was added; "
                           "please choose fewer files at a time.")
                .arg(result.chosenCount),
            platform::MsgBoxButtons::Ok);
        return;
    }
    for (const QString& path : pathsFromOpenFileResult(result.fileName)) {
        context.list.append(path);
    }
}

} // namespace quillsift::file_list
