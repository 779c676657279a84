// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Application.h"
#include "Document.h"
#include "YieldThrottle.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace quillsift::engine {

/// Which counts of the copy a caller reports. Counting is not free: the words of a whole text are
/// counted by segmenting all of it, which a line removal does not otherwise need.
enum class Counts {
    /// None: the window's run reports no figures.
    None,
    /// The count of the removal's own unit before it: paragraphs in line mode, words in word mode.
    RemovalUnit,
    /// Paragraphs and words, before and after.
    All,
};

/// The cleaned copy of one source and what the cleaning did to it. The counts are the host's
/// Paragraphs.Count and Words.Count of the copy's whole text before and after the removal, or
/// notCounted where the caller did not ask for them.
struct CleanResult {
    static constexpr qint64 notCounted = -1;
    std::shared_ptr<Document> copy;
    qint64 paragraphsBefore = notCounted;
    qint64 paragraphsAfter = notCounted;
    qint64 wordsBefore = notCounted;
    qint64 wordsAfter = notCounted;
    /// Paragraphs removed (or emptied, where the host must keep the paragraph) in line mode,
    /// words removed in word mode.
    qint64 removed = 0;
    /// What the host left out or mended while reading the source (Document::repairs).
    QStringList repairs;
};

/// Runs work, a step that does not yield (opening a file, copying its content), and returns when
/// it is done, passing on what it throws; it may run it on another thread while the caller's
/// window goes on answering. Empty: the work runs where it is called.
using Offload = std::function<void(const std::function<void()>& work)>;

/// What one file of a run does, shared by the window's run and the command-line tool: opens the
/// source in the application, adds a new document, copies the source's formatted content into
/// it, closes the source unchanged and removes the repeats from the new document.
/// The copy is left open and unsaved in the application; the caller keeps, saves or closes it.
/// On failure nothing is left open: the source and any partly made copy are closed, and the
/// HostError (which names the file) is passed on.
CleanResult makeCleanCopy(Application& application, const QString& path, RemovalMode mode,
                          const YieldFunction& yield = {}, Counts counts = Counts::All, const Offload& offload = {});

} // namespace quillsift::engine
