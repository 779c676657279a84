// SPDX-License-Identifier: GPL-3.0-or-later
#include "Word1.h"

#include "Application.h"

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

QString wordOpenQuestion(const HostProvider& provider)
{
    return provider.runningWarning() + QStringLiteral("\r\n\r\nWould you like to proceed anyway?");
}

bool WordOpenDeclined(HostProvider& provider, const QString& hostName,
                      const std::function<bool(const QString&)>& confirm)
{
    return IsWordOpen(provider, hostName) && !confirm(wordOpenQuestion(provider));
}

} // namespace quillsift::engine
