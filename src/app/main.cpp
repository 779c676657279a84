// SPDX-License-Identifier: GPL-3.0-or-later
#include "main_window/Form1.h"
#include "platform/docx/window/HostWindow.h"
#include "platform/widgets/DesktopSystem.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillsift"));
    QApplication::setApplicationVersion(QStringLiteral(QUILLSIFT_VERSION));

    quillsift::platform::DesktopServices services;
    quillsift::docx::HostWindow::installAsWindowListener();
    quillsift::main_window::Form1 window;
    window.show();
    return QApplication::exec();
}
