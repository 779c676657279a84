// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

namespace quillsift::main_window {

/// What the window's command line asks for: the files to list at start (the desktop's "Open With"
/// hands them over this way), a check mode for scripts, or a help or version text.
struct StartOptions {
    enum class Action {
        Start,
        ShowHelp,
        ShowVersion,
        UsageError,
    };
    Action action = Action::Start;
    /// Absolute paths in the order given, as a drop from the file manager names them.
    QStringList files;
    /// Print the list's entries once the window has shown, then quit.
    bool printList = false;
    /// What was wrong, for a usage error.
    QString error;
};

/// Reads the arguments (the program's name first) that Qt left after taking its own options out.
/// Relative paths are taken from workingDirectory; file: addresses become their local paths.
StartOptions parseStartOptions(const QStringList& arguments, const QString& workingDirectory);

/// "Usage: quillsift ...", without a line end.
QString startUsageLine();
/// The usage line and the options, for --help.
QString startHelpText();

} // namespace quillsift::main_window
