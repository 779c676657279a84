// SPDX-License-Identifier: GPL-3.0-or-later
#include "DesktopDialogs.h"

#include <QAbstractItemView>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QItemSelectionModel>
#include <QLineEdit>
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
/// Qt's dialog insists that every chosen file exists, and when several names are typed it returns
/// only the existing ones it could select in its list. The program's dialog returns every name
/// typed into its file-name box, found or not, and keeps its Open button usable for them; without
/// a file-name box (a native dialog) it returns what the dialog chose. Owns nothing beyond Qt's dialog.
class LenientFileDialog : public QFileDialog
{
  public:
    using QFileDialog::QFileDialog;

    QStringList chosen;

  protected:
    void showEvent(QShowEvent* event) override
    {
        QFileDialog::showEvent(event);
        if (m_watching || !fileNameEdit()) {
            return;
        }
        m_watching = true;
        // Qt disables the button whenever a typed name is not found; queued, this runs after it.
        connect(fileNameEdit(), &QLineEdit::textChanged, this, &LenientFileDialog::enableOpenForTypedNames,
                Qt::QueuedConnection);
        if (auto* list = findChild<QAbstractItemView*>(QStringLiteral("listView")); list && list->selectionModel()) {
            connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                    &LenientFileDialog::enableOpenForTypedNames, Qt::QueuedConnection);
        }
    }

    void accept() override
    {
        chosen = typedPaths();
        if (chosen.isEmpty()) {
            chosen = selectedFiles();
        }
        if (chosen.isEmpty()) {
            return;
        }
        if (chosen.size() == 1 && QFileInfo(chosen.first()).isDir()) {
            QFileDialog::accept(); // opens the folder
            return;
        }
        QDialog::accept();
    }

  private:
    QLineEdit* fileNameEdit() const
    {
        return findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    }

    QStringList typedPaths() const
    {
        const QLineEdit* edit = fileNameEdit();
        return edit && edit->isVisible() ? typedFilePaths(edit->text(), directory().absolutePath()) : QStringList();
    }

    void enableOpenForTypedNames()
    {
        auto* buttons = findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
        QPushButton* open = buttons ? buttons->button(QDialogButtonBox::Open) : nullptr;
        if (open && !open->isEnabled() && !typedPaths().isEmpty()) {
            open->setEnabled(true);
        }
    }

    bool m_watching = false;
};
} // namespace

QStringList typedFilePaths(const QString& text, const QString& folder)
{
    QStringList names;
    if (!text.contains(QLatin1Char('"'))) {
        names << text.trimmed();
    } else {
        // "a.docx" "b.docx": the odd pieces were quoted, the even ones lie between the quotes.
        const QStringList pieces = text.split(QLatin1Char('"'));
        for (qsizetype i = 0; i < pieces.size(); ++i) {
            names << (i % 2 == 1 ? pieces.at(i) : pieces.at(i).trimmed());
        }
    }
    const QDir base(folder);
    QStringList paths;
    for (QString name : std::as_const(names)) {
        if (name.trimmed().isEmpty()) {
            continue;
        }
        if (name == QLatin1String("~") || name.startsWith(QLatin1String("~/"))) {
            name = QDir::homePath() + name.mid(1);
        }
        paths << QDir::cleanPath(base.absoluteFilePath(QDir::fromNativeSeparators(name)));
    }
    return paths;
}

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
