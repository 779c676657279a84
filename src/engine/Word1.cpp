// SPDX-License-Identifier: GPL-3.0-or-later
#include "Word1.h"

#include "Application.h"
#include "platform/Services.h"

namespace quillsift::engine {

bool IsWordOpen(HostProvider& provider, const QString& hostName)
{
    try {
        const std::shared_ptr<Application> running = provider.runningApplication();
        return running && running->name() == hostName;
    } catch (...) {
        // Whatever goes wrong while attaching counts as no host running.
        return false;
    }
}

QString wordOpenQuestion()
{
    return QStringLiteral("Word may be open. It is recommended that you close Word first.\r\n\r\n"
                          "Would you like to proceed anyway?");
}

bool WordOpenDeclined(HostProvider& provider, const QString& hostName, QWidget* owner)
{
    if (!IsWordOpen(provider, hostName)) {
        return false;
    }
    const auto answer =
        platform::services().messageBox->show(owner, wordOpenQuestion(), platform::MsgBoxButtons::YesNo);
    return answer != platform::MsgBoxAnswer::Yes;
}

} // namespace quillsift::engine
