// SPDX-License-Identifier: GPL-3.0-or-later
#include "RunDriver.h"

#include "Application.h"
#include "CleanCopy.h"
#include "HostError.h"
#include "Word1.h"

#include <QStringList>

#include <chrono>
#include <exception>
#include <future>
#include <thread>

namespace quillsift::engine {

namespace {
/// Runs work on a thread of its own and lets the window answer until it is done.
void runAside(RunWindow& window, const std::function<void()>& work)
{
    std::packaged_task<void()> task(work);
    std::future<void> done = task.get_future();
    std::thread worker(std::move(task));
    while (done.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready) {
        window.yield();
    }
    worker.join();
    done.get();
}

QString failureReport(const QStringList& failures)
{
    return QStringLiteral("These files could not be cleaned:\r\n\r\n") + failures.join(QStringLiteral("\r\n"));
}
} // namespace

void runDuplicateRemoval(RunWindow& window, HostProvider& provider, const QString& hostName)
{
    if (window.entryCount() < 1) {
        window.inform(QStringLiteral("No files added."));
        return;
    }
    if (WordOpenDeclined(provider, hostName, [&](const QString& question) { return window.confirm(question); })) {
        return;
    }

    QStringList failures;
    {
        platform::BusyGuard busy(window);
        busy.showHourglass();
        const YieldFunction yield = [&window] { window.yield(); };
        Offload offload;
        if (provider.drivesFromAnyThread()) {
            offload = [&window](const std::function<void()>& work) { runAside(window, work); };
        }
        std::shared_ptr<Application> application;
        try {
            application = provider.newApplication();
        } catch (const HostError& error) {
            failures << error.message();
        }
        const int count = window.entryCount();
        for (int i = 1; application && i <= count; ++i) {
            // Entries removed while the run works: stop at the last one there is.
            if (i > window.entryCount()) {
                break;
            }
            const QString path = window.entryText(i);
            const RemovalMode mode = window.lineMode() ? RemovalMode::Lines : RemovalMode::Words;
            try {
                makeCleanCopy(*application, path, mode, yield, Counts::None, offload);
            } catch (const HostError& error) {
                failures << error.message();
            } catch (const std::exception& error) {
                failures << path + QStringLiteral(": ") + QString::fromLocal8Bit(error.what());
            }
            yield();
        }
        if (application) {
            application->setVisible(true);
        }
    }
    if (!failures.isEmpty()) {
        window.inform(failureReport(failures));
    }
    window.inform(QStringLiteral("Done."));
}

} // namespace quillsift::engine
