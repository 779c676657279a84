// SPDX-License-Identifier: GPL-3.0-or-later
// The window's run as a user starts it, without a person at the screen: the real window, host
// and host window, with message boxes that answer at once. Prints how long the run took, the
// longest time the event loop went without running a 10 ms timer during the run and while the
// host window shows the last copy afterwards (scrolled through to its end), and the peak
// resident memory.
//
//   window_run_bench [--words] [--settle SECONDS] FILE...
#include "file_list/FileList.h"
#include "main_window/Form1.h"
#include "main_window/RunHost.h"
#include "platform/docx/window/HostWindow.h"
#include "platform/docx/window/HostWindowKeeper.h"
#include "platform/testing/TestServices.h"
#include "platform/widgets/DesktopSystem.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QListView>
#include <QRadioButton>
#include <QScrollBar>
#include <QThread>
#include <QTimer>

#include <cstdio>

#include <sys/resource.h>

using namespace quillsift;

namespace {

/// The longest gap between the ticks of a 10 ms timer since the last reset.
class TickWatch
{
  public:
    TickWatch()
    {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { m_longest = std::max(m_longest, m_clock.restart()); });
        m_clock.start();
        m_timer.start();
    }
    qint64 takeLongest()
    {
        const qint64 longest = std::max(m_longest, m_clock.elapsed());
        m_longest = 0;
        m_clock.restart();
        return longest;
    }

  private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_longest = 0;
};

void runEventsFor(qint64 milliseconds)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < milliseconds) {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QStringList files = QApplication::arguments().mid(1);
    const bool words = files.removeAll(QStringLiteral("--words")) > 0;
    qint64 settle = 5000;
    if (const qsizetype at = files.indexOf(QStringLiteral("--settle")); at >= 0 && at + 1 < files.size()) {
        settle = qint64(files[at + 1].toDouble() * 1000);
        files.remove(at, 2);
    }
    if (files.isEmpty()) {
        std::fputs("usage: window_run_bench [--words] [--settle SECONDS] FILE...\n", stderr);
        return 2;
    }

    const platform::DesktopServices desktop;
    platform::testing::TestServices doubles;
    platform::Services services = desktop.bundle();
    services.messageBox = &doubles.messageBox;
    services.saveFileDialog = &doubles.saveFileDialog;
    services.folderBrowser = &doubles.folderBrowser;
    platform::ProcessorShare processors(QThread::idealThreadCount());
    const platform::ProcessorShare::Lease windowThread(&processors, 1);
    docx::HostWindowKeeper windows(doubles.saveFileDialog, doubles.folderBrowser, doubles.messageBox);
    main_window::Form1 form(main_window::inProcessHost(&windows, &processors), services);
    form.show();
    form.findChild<QRadioButton*>(QLatin1String(words ? "Option2" : "Option1"))->setChecked(true);
    for (const QString& file : files) {
        form.fileList().append(file);
    }
    runEventsFor(200);

    TickWatch watch;
    QElapsedTimer clock;
    clock.start();
    form.findChild<QAbstractButton*>(QStringLiteral("Check2"))->click();
    const double runSeconds = double(clock.elapsed()) / 1000.0;
    const qint64 runGap = watch.takeLongest();

    // The host window shows the last copy: let it lay out, then scroll through it to the end.
    runEventsFor(settle / 2);
    if (auto* view = windows.window() ? windows.window()->findChild<QListView*>(QStringLiteral("text")) : nullptr) {
        for (int step = 1; step <= 10; ++step) {
            view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum() * step / 10);
            runEventsFor(settle / 20);
        }
    }
    const qint64 viewGap = watch.takeLongest();

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("run %.2f s, longest gap during the run %lld ms, while showing %lld ms, peak %.0f MB\n", runSeconds,
                static_cast<long long>(runGap), static_cast<long long>(viewGap), double(usage.ru_maxrss) / 1024.0);
    for (const auto& message : doubles.messageBox.shown) {
        if (message.text != QLatin1String("Done.")) {
            std::printf("message: %s\n", qPrintable(message.text));
        }
    }
    return 0;
}
