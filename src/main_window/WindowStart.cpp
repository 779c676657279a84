// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowStart.h"

#include "Form1.h"
#include "StartOptions.h"
#include "file_list/FileList.h"
#include "platform/Dialogs.h"
#include "platform/System.h"

#include <QCoreApplication>
#include <QTimer>

namespace quillsift::main_window {

namespace {

void print(std::FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

} // namespace

void showWindow(Form1& window, const StartOptions& options, const platform::FileSystem& files,
                platform::MessageBox& messageBox, std::FILE* out, std::FILE* err)
{
    QStringList present;
    QStringList missing;
    for (const QString& path : options.files) {
        (files.modificationTime(path) ? present : missing) << path;
    }
    if (!present.isEmpty()) {
        window.fileList().ListView1_OLEDragDrop(present);
    }
    for (const QString& path : std::as_const(missing)) {
        print(err, QStringLiteral("quillsift: %1: no such file; not added to the list\n").arg(path));
    }

    window.show();
    if (options.printList) {
        QTimer::singleShot(0, &window, [&window, out] {
            for (int i = 1; i <= window.entryCount(); ++i) {
                print(out, window.entryText(i) + QLatin1Char('\n'));
            }
            QCoreApplication::exit(0);
        });
    } else if (!missing.isEmpty()) {
        QTimer::singleShot(0, &window, [&window, &messageBox, missing] {
            messageBox.show(&window, missingStartFilesMessage(missing), platform::MsgBoxButtons::Ok);
        });
    }
}

QString missingStartFilesMessage(const QStringList& missing)
{
    return QStringLiteral("These files were not added to the list, because they do not exist:\n%1")
        .arg(missing.join(QLatin1Char('\n')));
}

} // namespace quillsift::main_window
