// SPDX-License-Identifier: GPL-3.0-or-later
#include "main_window/Form1.h"
#include "main_window/RunHost.h"
#include "main_window/StartOptions.h"
#include "main_window/WindowStart.h"
#include "platform/docx/window/HostWindowKeeper.h"
#include "platform/widgets/DesktopSystem.h"

#ifdef QUILLSIFT_HAVE_LIBREOFFICE
#include "platform/libreoffice/LoApplication.h"
#include "platform/libreoffice/LoHostProvider.h"
#endif

#include <QApplication>
#include <QDir>
#include <QThread>

#include <cstdio>
#include <memory>
#include <optional>

namespace {

using quillsift::main_window::StartOptions;

void print(std::FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

/// The exit status when the options only ask for a text (help, version, a usage error), printed.
std::optional<int> answerWithText(const StartOptions& options)
{
    switch (options.action) {
    case StartOptions::Action::ShowHelp:
        print(stdout, quillsift::main_window::startHelpText());
        return 0;
    case StartOptions::Action::ShowVersion:
        print(stdout, QStringLiteral("quillsift %1\n").arg(QStringLiteral(QUILLSIFT_VERSION)));
        return 0;
    case StartOptions::Action::UsageError:
        print(stderr,
              QStringLiteral("quillsift: %1\n%2\n").arg(options.error, quillsift::main_window::startUsageLine()));
        return 2;
    case StartOptions::Action::Start:
        break;
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char* argv[])
{
    // --help and --version answer before there is a display to connect to. Anything this first
    // reading does not understand may be one of Qt's own options, read again once Qt took those.
    QStringList rawArguments;
    for (int i = 0; i < argc; ++i) {
        rawArguments << QString::fromLocal8Bit(argv[i]);
    }
    const StartOptions early = quillsift::main_window::parseStartOptions(rawArguments, QDir::currentPath());
    if (early.action == StartOptions::Action::ShowHelp || early.action == StartOptions::Action::ShowVersion) {
        return *answerWithText(early);
    }

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillsift"));
    QApplication::setApplicationVersion(QStringLiteral(QUILLSIFT_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("quillsift"));
    const StartOptions options =
        quillsift::main_window::parseStartOptions(QApplication::arguments(), QDir::currentPath());
    if (const std::optional<int> status = answerWithText(options)) {
        return *status;
    }

    const quillsift::platform::DesktopServices desktopServices;
    const quillsift::platform::Services& services = desktopServices.bundle();
    // The processors a long save or word count may use beside the window's own thread.
    quillsift::platform::ProcessorShare processors(QThread::idealThreadCount());
    const quillsift::platform::ProcessorShare::Lease windowThread(&processors, 1);
    // The one window that shows the in-process host's copies, for every run.
    quillsift::docx::HostWindowKeeper hostWindows(*services.saveFileDialog, *services.folderBrowser,
                                                  *services.messageBox);
    // QUILLSIFT_HOST=libreoffice runs the removal in LibreOffice, which then shows the copies.
    quillsift::main_window::RunHost host;
    if (qEnvironmentVariable("QUILLSIFT_HOST") == QLatin1String("libreoffice")) {
#ifdef QUILLSIFT_HAVE_LIBREOFFICE
        host.provider = std::make_unique<quillsift::libreoffice::LoHostProvider>();
        host.applicationName = quillsift::libreoffice::LoApplication::applicationName();
#else
        std::fputs("quillsift: this build has no LibreOffice host; using its own\n", stderr);
#endif
    }
    if (!host.provider) {
        host = quillsift::main_window::inProcessHost(&hostWindows, &processors);
    }
    auto window = std::make_unique<quillsift::main_window::Form1>(std::move(host), services);

    quillsift::main_window::showWindow(*window, options, *services.fileSystem, *services.messageBox, stdout, stderr);
    return QApplication::exec();
}
