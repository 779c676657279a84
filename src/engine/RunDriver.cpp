// SPDX-License-Identifier: GPL-3.0-or-later
#include "RunDriver.h"

#include "Application.h"
#include "CleanCopy.h"
#include "HostError.h"
#include "Word1.h"

#include <QStringList>

namespace quillsift::engine {

namespace {
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
                makeCleanCopy(*application, path, mode, yield, Counts::None);
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
