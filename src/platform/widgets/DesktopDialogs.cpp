// SPDX-License-Identifier: GPL-3.0-or-later
#include "DesktopDialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace quillsift::platform {

QString programTitle()
{
    return QStringLiteral("Quillsift");
}

MsgBoxAnswer DesktopMessageBox::show(QWidget* parent, const QString& text, MsgBoxButtons buttons)
{
    QMessageBox box(QMessageBox::NoIcon, programTitle(), text, QMessageBox::NoButton, parent);
    QAbstractButton* saveAll = nullptr;
    QAbstractButton* discardAll = nullptr;
    switch (buttons) {
    case MsgBoxButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case MsgBoxButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case MsgBoxButtons::SaveAllDiscardAllCancel:
        saveAll = box.addButton(QObject::tr("Save All..."), QMessageBox::AcceptRole);
        discardAll = box.addButton(QObject::tr("Discard All"), QMessageBox::DestructiveRole);
        box.setDefaultButton(box.addButton(QMessageBox::Cancel));
        break;
    }
    const int answer = box.exec();
    if (box.clickedButton() && box.clickedButton() == saveAll) {
        return MsgBoxAnswer::SaveAll;
    }
    if (box.clickedButton() && box.clickedButton() == discardAll) {
        return MsgBoxAnswer::DiscardAll;
    }
    switch (answer) {
    case QMessageBox::Cancel:
        return MsgBoxAnswer::Cancel;
    case QMessageBox::Yes:
        return MsgBoxAnswer::Yes;
    case QMessageBox::No:
        return MsgBoxAnswer::No;
    case QMessageBox::Ok:
        return MsgBoxAnswer::Ok;
    default:
        return MsgBoxAnswer::Closed;
    }
}

QString DesktopInputBox::ask(QWidget* parent, const QString& prompt, const QString& defaultReply)
{
    QInputDialog dialog(parent);
    dialog.setWindowTitle(programTitle());
    dialog.setLabelText(prompt);
    dialog.setTextValue(defaultReply);
    dialog.setInputMode(QInputDialog::TextInput);
    return dialog.exec() == QDialog::Accepted ? dialog.textValue() : QString();
}

namespace {
/// Qt's dialog insists that every chosen file exists; the program's dialog returns a typed name
/// unchanged, so acceptance skips that check.
class LenientFileDialog : public QFileDialog
{
  public:
    using QFileDialog::QFileDialog;

    QStringList chosen;

  protected:
    void accept() override
    {
        chosen = selectedFiles();
        if (chosen.isEmpty()) {
            return;
        }
        if (chosen.size() == 1 && QFileInfo(chosen.first()).isDir()) {
            QFileDialog::accept(); // opens the folder
            return;
        }
        QDialog::accept();
    }
};
} // namespace

QString qtFilterFromDialogFilter(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts.at(i);
        const qsizetype open = description.lastIndexOf(QLatin1Char('('));
        if (open > 0) {
            description = description.left(open).trimmed();
        }
        QString patterns = parts.at(i + 1);
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        QStringList list = patterns.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        for (QString& pattern : list) {
            if (pattern == QLatin1String("*.*")) {
                pattern = QStringLiteral("*");
            }
        }
        filters << QStringLiteral("%1 (%2)").arg(description, list.join(QLatin1Char(' ')));
    }
    return filters.join(QStringLiteral(";;"));
}

namespace {
/// The deepest folder that holds every one of paths (absolute paths with "/" separators).
QString commonFolder(const QStringList& paths)
{
    QString folder = QFileInfo(paths.first()).absolutePath();
    for (const QString& path : paths) {
        const QString own = QFileInfo(path).absolutePath();
        while (own != folder &&
               !own.startsWith(folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/'))) {
            const QString parent = QFileInfo(folder).absolutePath();
            if (parent == folder) {
                break;
            }
            folder = parent;
        }
    }
    return folder;
}
} // namespace

OpenFileResult composeOpenFileResult(const QStringList& chosenPaths, int maxFileSize)
{
    OpenFileResult result;
    result.chosenCount = static_cast<int>(chosenPaths.size());
    if (chosenPaths.isEmpty()) {
        return result;
    }
    QString composed;
    if (chosenPaths.size() == 1) {
        composed = QDir::toNativeSeparators(chosenPaths.first());
    } else {
        // Names typed into the file-name box may lie in different folders; each name is then given
        // relative to the folder they share, so that folder and name still join to the full path.
        const QString folder = commonFolder(chosenPaths);
        const QDir base(folder);
        composed = QDir::toNativeSeparators(folder);
        for (const QString& path : chosenPaths) {
            composed +=
                QChar(u'\0') + QDir::toNativeSeparators(base.relativeFilePath(QFileInfo(path).absoluteFilePath()));
        }
    }
    if (composed.size() > maxFileSize) {
        result.tooLong = true;
        return result;
    }
    result.fileName = composed;
    return result;
}

OpenFileResult DesktopOpenFileDialog::showOpen(QWidget* parent, const OpenFileRequest& request)
{
    LenientFileDialog dialog(parent, request.dialogTitle);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilter(qtFilterFromDialogFilter(request.filter));
    if (!request.fileName.isEmpty()) {
        dialog.selectFile(request.fileName);
    }
    if (dialog.exec() != QDialog::Accepted) {
        return {};
    }
    return composeOpenFileResult(dialog.chosen, request.maxFileSize);
}

QString DesktopSaveFileDialog::showSave(QWidget* parent, const QString& title, const QString& suggestedPath,
                                        const QString& filter)
{
    const QString path = QFileDialog::getSaveFileName(parent, title, suggestedPath, qtFilterFromDialogFilter(filter));
    return path.isEmpty() ? QString() : QDir::toNativeSeparators(path);
}

QString DesktopFolderBrowser::browse(QWidget* owner, const QString& prompt)
{
    const QString folder = QFileDialog::getExistingDirectory(owner, prompt);
    return folder.isEmpty() ? QString() : QDir::toNativeSeparators(folder);
}

} // namespace quillsift::platform
