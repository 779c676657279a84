// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Documents.h"

#include <QString>

#include <memory>

namespace quillsift::engine {

/// A document host's application object (Word.Application).
class Application
{
  public:
    virtual ~Application() = default;

    /// The application's name, its default property ("Microsoft Word" for Word).
    virtual QString name() const = 0;
    virtual Documents& documents() = 0;
    /// Application.Visible: shows or hides the host's own window.
    virtual void setVisible(bool visible) = 0;
    virtual bool visible() const = 0;
};

/// How the engine reaches a host: attach to one already running, or start a new one.
class HostProvider
{
  public:
    virtual ~HostProvider() = default;

    /// The running application (GetActiveObject), or nullptr when none runs. May throw HostError.
    virtual std::shared_ptr<Application> runningApplication() = 0;
    /// A new application object. Throws HostError when the host cannot be started.
    virtual std::shared_ptr<Application> newApplication() = 0;
    /// What the pre-flight check warns of when runningApplication finds an application, before it
    /// asks whether to proceed: which host holds what, and what the user had better do first.
    virtual QString runningWarning() const
    {
        return QStringLiteral("Word may be open. It is recommended that you close Word first.");
    }
    /// Whether an application it hands out may be driven from a thread other than the one that
    /// asked for it, one thread at a time, so that a run can open files aside while its window
    /// goes on answering.
    virtual bool drivesFromAnyThread() const
    {
        return false;
    }
};

} // namespace quillsift::engine
