// SPDX-License-Identifier: GPL-3.0-or-later
#include "CliRun.h"

#include "CopyWriter.h"
#include "OutputNames.h"
#include "ProgressBar.h"

#include "engine/HostError.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>
#include <optional>
#include <thread>
#include <vector>

namespace quillsift::cli {

using engine::HostError;

namespace {

/// How often the progress bar moves while the next file in order is still being cleaned.
constexpr auto progressInterval = std::chrono::milliseconds(125);

void writeLine(std::FILE* stream, const QByteArray& line)
{
    std::fwrite(line.constData(), 1, size_t(line.size()), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

/// The reports as the workers finish them, handed to the thread that prints them in order.
class ReportQueue
{
  public:
    explicit ReportQueue(qsizetype count)
        : m_reports(size_t(count))
    {
    }

    void put(qsizetype index, FileReport report)
    {
        {
            std::lock_guard lock(m_mutex);
            m_reports[size_t(index)] = std::move(report);
        }
        m_ready.notify_all();
    }

    /// The report of file index, or nothing if it is not finished within the wait.
    std::optional<FileReport> take(qsizetype index, std::chrono::milliseconds wait)
    {
        std::unique_lock lock(m_mutex);
        if (!m_ready.wait_for(lock, wait, [&] { return m_reports[size_t(index)].has_value(); })) {
            return std::nullopt;
        }
        std::optional<FileReport> report = std::move(m_reports[size_t(index)]);
        m_reports[size_t(index)].reset();
        return report;
    }

  private:
    std::mutex m_mutex;
    std::condition_variable m_ready;
    std::vector<std::optional<FileReport>> m_reports;
};

} // namespace

CliRun::CliRun(engine::HostProvider& hosts, CliOptions options, platform::ProcessorShare* processors)
    : m_hosts(hosts)
    , m_options(std::move(options))
    , m_processors(processors)
    , m_targets(outputPaths(m_options.files, m_options.outputDirectory, m_options.trackChanges))
    , m_sources(m_options.files)
{
}

QString CliRun::prepareOutputDirectory() const
{
    if (m_options.dryRun) {
        return {};
    }
    const QFileInfo info(m_options.outputDirectory);
    if (info.exists() && !info.isDir()) {
        return QStringLiteral("%1: the output folder is a file").arg(m_options.outputDirectory);
    }
    if (!QDir().mkpath(m_options.outputDirectory)) {
        return QStringLiteral("%1: the output folder cannot be created").arg(m_options.outputDirectory);
    }
    return {};
}

FileReport CliRun::processFile(engine::Application* application, const QString& hostFailure, qsizetype index) const
{
    FileReport report;
    report.file = m_options.files.at(index);
    report.mode = m_options.mode;
    const QString& target = m_targets.at(index);

    QElapsedTimer timer;
    timer.start();
    std::shared_ptr<engine::Document> copy;
    try {
        if (!m_directoryFailure.isEmpty()) {
            throw HostError(QString(), m_directoryFailure);
        }
        if (!application) {
            const QString cannotStart = QStringLiteral("the document host could not be started");
            throw HostError(report.file,
                            hostFailure.isEmpty() ? cannotStart : cannotStart + QStringLiteral(": ") + hostFailure);
        }
        // A pipe or a device would block the reading or never end; a folder is no document.
        if (const QFileInfo source(report.file); source.exists() && !source.isFile()) {
            throw HostError(report.file, source.isDir() ? QStringLiteral("this is a folder, not a document")
                                                        : QStringLiteral("this is not a regular file"));
        }
        // Checked before the cleaning, so that a refused file costs nothing; the writing
        // checks again, as the folder may change meanwhile.
        if (const QString refusal = writeRefusal(target, m_sources, m_options.force); !refusal.isEmpty()) {
            throw HostError(target, refusal);
        }

        // The human line shows the count of the removal's unit before it; JSON shows all four.
        engine::CleanResult result =
            engine::makeCleanCopy(*application, report.file, m_options.mode, {},
                                  m_options.json ? engine::Counts::All : engine::Counts::RemovalUnit);
        copy = result.copy;
        report.paragraphsBefore = result.paragraphsBefore;
        report.paragraphsAfter = result.paragraphsAfter;
        report.wordsBefore = result.wordsBefore;
        report.wordsAfter = result.wordsAfter;
        report.removed = result.removed;
        report.repairs = result.repairs;

        if (!m_options.dryRun) {
            writeCopy(*copy, target, m_options.force, m_trackedAt);
        }
        report.output = target;
    } catch (const HostError& error) {
        report.error = error.message();
    } catch (const std::bad_alloc&) {
        report.error = QStringLiteral("%1: there is not enough memory to clean this file").arg(report.file);
    } catch (const std::exception& error) {
        report.error = QStringLiteral("%1: %2").arg(report.file, QString::fromLocal8Bit(error.what()));
    } catch (...) {
        report.error = QStringLiteral("%1: the file could not be cleaned (unknown failure)").arg(report.file);
    }
    if (copy) {
        try {
            // The copies are not needed once written; a long call must not keep them all.
            copy->close();
        } catch (...) {
        }
    }
    report.seconds = double(timer.nsecsElapsed()) / 1e9;
    return report;
}

int CliRun::exec(std::FILE* out, std::FILE* err)
{
    const qsizetype count = m_options.files.size();
    m_directoryFailure = prepareOutputDirectory();
    if (m_options.trackChanges) {
        // To the second, as the documents write it.
        const QDateTime now = QDateTime::currentDateTimeUtc();
        m_trackedAt = now.addMSecs(-now.time().msec());
    }

    ReportQueue queue(count);
    std::atomic<qsizetype> next{0};
    const auto work = [&] {
        const platform::ProcessorShare::Lease own(m_processors, 1);
        std::shared_ptr<engine::Application> application;
        QString hostFailure;
        try {
            application = m_hosts.newApplication();
        } catch (const HostError& error) {
            // Every file this worker takes then reports that the host could not be started, and why.
            hostFailure = error.cause();
        } catch (const std::exception& error) {
            hostFailure = QString::fromLocal8Bit(error.what());
        }
        for (qsizetype index = next++; index < count; index = next++) {
            queue.put(index, processFile(application.get(), hostFailure, index));
        }
    };
    const qsizetype workerCount = std::min<qsizetype>({m_options.jobs, count, maxWorkers});
    std::vector<std::thread> workers;
    workers.reserve(size_t(workerCount));
    for (qsizetype worker = 0; worker < workerCount; ++worker) {
        workers.emplace_back(work);
    }

    ProgressBar progress(err, count);
    bool anyFailed = false;
    for (qsizetype index = 0; index < count; ++index) {
        std::optional<FileReport> report;
        while (!(report = queue.take(index, progressInterval))) {
            progress.show(index);
        }
        progress.clear();
        anyFailed = anyFailed || !report->succeeded();
        if (m_options.json) {
            writeLine(out, jsonLine(*report));
        } else {
            writeLine(report->succeeded() ? out : err, humanLine(*report, m_options.dryRun).toUtf8());
            for (const QString& line : repairLines(*report)) {
                writeLine(err, line.toUtf8());
            }
        }
        progress.show(index + 1);
    }
    progress.clear();
    for (std::thread& worker : workers) {
        worker.join();
    }
    return anyFailed ? someFailed : allCleaned;
}

} // namespace quillsift::cli
