// SPDX-License-Identifier: GPL-3.0-or-later
#include "RunDriver.h"

#include "Application.h"
#include "CleanCopy.h"
#include "HostError.h"
#include "Word1.h"

#include <QStringList>

namespace quillsift::engine {

namespace {
constexpr int HourglassPointer = 11;
constexpr int DefaultPointer = 0;

/// Keeps the window busy for the run's length, whichever way the run ends.
class BusyWindow
{
  public:
    explicit BusyWindow(RunWindow& window)
        : m_window(window)
    {
        m_window.setMousePointer(HourglassPointer);
        m_window.setBusy(true);
    }
    ~BusyWindow()
    {
        m_window.setBusy(false);
        m_window.setMousePointer(DefaultPointer);
    }
    BusyWindow(const BusyWindow&) = delete;
    BusyWindow& operator=(const BusyWindow&) = delete;

  private:
    RunWindow& m_window;
};

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
        BusyWindow busy(window);
        const YieldFunction yield = [&window] { window.yield(); };
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
                makeCleanCopy(*application, path, mode, yield);
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
