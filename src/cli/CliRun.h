// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/ProcessorShare.h"

#include "CliOptions.h"
#include "FileReport.h"
#include "OutputNames.h"

#include "engine/Application.h"

#include <QDateTime>

#include <cstdio>

namespace quillsift::cli {

/// One call of the command-line tool: cleans every file with up to options.jobs worker threads,
/// each driving its own host application, and reports the files in the order given as each
/// one's turn comes, whatever order they finish in.
class CliRun
{
  public:
    /// Exit statuses.
    static constexpr int allCleaned = 0;
    static constexpr int someFailed = 1;
    static constexpr int usageError = 2;
    /// Threads beyond this many gain nothing and only cost memory: each holds its own host.
    static constexpr int maxWorkers = 256;

    /// Each worker holds one processor of processors (when given) for the files it cleans, so that
    /// the parallel work inside a file's save or count uses only what the workers leave free.
    CliRun(engine::HostProvider& hosts, CliOptions options, platform::ProcessorShare* processors = nullptr);

    /// Runs the call: reports go to out (JSON lines or one human line per file; a failure's
    /// human line goes to err), the progress bar to err when it is a terminal.
    /// Returns allCleaned or someFailed.
    int exec(std::FILE* out, std::FILE* err);

  private:
    /// Cleans and writes one file; never throws.
    /// hostFailure: why application could not be made, when it is null.
    FileReport processFile(engine::Application* application, const QString& hostFailure, qsizetype index) const;
    /// Creates the output folder; the reason it cannot be, or an empty string.
    QString prepareOutputDirectory() const;

    engine::HostProvider& m_hosts;
    CliOptions m_options;
    platform::ProcessorShare* m_processors = nullptr;
    QStringList m_targets;
    SourceFiles m_sources;
    QString m_directoryFailure;
    /// When trackChanges: the time the call started, which the tracked deletions carry.
    QDateTime m_trackedAt;
};

} // namespace quillsift::cli
