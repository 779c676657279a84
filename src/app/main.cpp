// SPDX-License-Identifier: GPL-3.0-or-later
#include "main_window/Form1.h"
#include "platform/Allocator.h"
#include "platform/docx/window/HostWindow.h"
#include "platform/widgets/DesktopSystem.h"

#ifdef QUILLSIFT_HAVE_LIBREOFFICE
#include "platform/libreoffice/LoApplication.h"
#include "platform/libreoffice/LoHostProvider.h"
#endif

#include <QApplication>

#include <cstdio>
#include <memory>

int main(int argc, char* argv[])
{
    quillsift::platform::tuneAllocator();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillsift"));
    QApplication::setApplicationVersion(QStringLiteral(QUILLSIFT_VERSION));

    quillsift::platform::DesktopServices services;
    quillsift::docx::HostWindow::installAsWindowListener();
    // QUILLSIFT_HOST=libreoffice runs the removal in LibreOffice, which then shows the copies.
    std::unique_ptr<quillsift::main_window::Form1> window;
    if (qEnvironmentVariable("QUILLSIFT_HOST") == QLatin1String("libreoffice")) {
#ifdef QUILLSIFT_HAVE_LIBREOFFICE
        window =
            std::make_unique<quillsift::main_window::Form1>(std::make_unique<quillsift::libreoffice::LoHostProvider>(),
                                                            quillsift::libreoffice::LoApplication::applicationName());
#else
        std::fputs("quillsift: this build has no LibreOffice host; using its own\n", stderr);
#endif
    }
    if (!window) {
        window = std::make_unique<quillsift::main_window::Form1>();
    }
    window->show();
    return QApplication::exec();
}
