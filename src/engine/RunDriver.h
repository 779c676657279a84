// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/WindowState.h"

#include <QString>

class QWidget;

namespace quillsift::engine {

class HostProvider;

/// What a run needs of the window that starts it, besides its pointer and busy flag.
class RunWindow : public platform::WindowState
{
  public:
    virtual ~RunWindow() = default;

    /// The owner of the run's message boxes.
    virtual QWidget* owner() = 0;
    /// The file list: its count and the text of entry index, counted from 1.
    virtual int entryCount() const = 0;
    virtual QString entryText(int index) const = 0;
    /// Line mode is selected; read afresh for every file.
    virtual bool lineMode() const = 0;
    /// Tells the user text in a message box with one OK button, owned by the window; returns when
    /// it is closed.
    virtual void inform(const QString& text) = 0;
    /// Asks the user question in a message box with Yes and No; true for Yes.
    virtual bool confirm(const QString& question) = 0;
    /// Lets the window handle what waits for it (repaints, a close) between steps of the run.
    virtual void yield() = 0;
};

/// "Remove Duplicates Except First", after the press has been taken: when the host already runs,
/// the user is asked first, with the provider's warning, and No calls the run off. Then for every listed file, a
/// cleaned copy in one application of the host, left open and unsaved, and the host shown.
/// A file that cannot be opened or cleaned does not stop the run: the files that failed are listed
/// with the host's reason in one message before "Done.".
/// hostName is the name a running application of the host answers with.
void runDuplicateRemoval(RunWindow& window, HostProvider& provider, const QString& hostName);

} // namespace quillsift::engine
