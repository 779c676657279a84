// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliOptions.h"
#include "cli/CliRun.h"
#include "docx/DocxHostProvider.h"
#include "engine/FileName.h"
#include "engine/HostError.h"
#ifdef QUILLSIFT_HAVE_LIBREOFFICE
#include "libreoffice/LoHostProvider.h"
#endif

#include <QCoreApplication>
#include <QThread>

#include <cstdio>

namespace {

void print(std::FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

/// One application, started before the run so that a failure to start is told once, with its
/// cause, and every file then reports that the host could not be started, and why.
class StartedHost : public quillsift::engine::HostProvider
{
  public:
    explicit StartedHost(quillsift::engine::HostProvider& provider)
        : m_provider(provider)
    {
        try {
            m_application = provider.newApplication();
        } catch (const quillsift::engine::HostError& error) {
            print(stderr, QStringLiteral("quillsift-cli: %1\n").arg(error.message()));
            m_failure = error.cause();
        } catch (const std::exception& error) {
            m_failure = QString::fromLocal8Bit(error.what());
            print(stderr, QStringLiteral("quillsift-cli: %1\n").arg(m_failure));
        }
    }

    std::shared_ptr<quillsift::engine::Application> runningApplication() override
    {
        return nullptr;
    }
    std::shared_ptr<quillsift::engine::Application> newApplication() override
    {
        if (!m_application) {
            throw quillsift::engine::HostError(QString(), m_failure);
        }
        return m_application;
    }
    QString runningWarning() const override
    {
        return m_provider.runningWarning();
    }

  private:
    quillsift::engine::HostProvider& m_provider;
    std::shared_ptr<quillsift::engine::Application> m_application;
    QString m_failure;
};

} // namespace

int main(int argc, char* argv[])
{
    using namespace quillsift::cli;

    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quillsift-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUILLSIFT_VERSION));

    // The arguments as the system gave them: a file name need not be UTF-8.
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << quillsift::engine::FileName::fromNative(QByteArray(argv[i]));
    }
    const ParsedCommandLine parsed = parseCommandLine(arguments, QThread::idealThreadCount());
    switch (parsed.action) {
    case ParsedCommandLine::Action::ShowHelp:
        print(stdout, helpText());
        return CliRun::allCleaned;
    case ParsedCommandLine::Action::ShowVersion:
        print(stdout, QStringLiteral("quillsift-cli %1\n").arg(QCoreApplication::applicationVersion()));
        return CliRun::allCleaned;
    case ParsedCommandLine::Action::UsageError:
        print(stderr, QStringLiteral("quillsift-cli: %1\n%2\n").arg(parsed.error, usageLine()));
        return CliRun::usageError;
    case ParsedCommandLine::Action::Run:
        break;
    }

    if (parsed.options.host == HostKind::LibreOffice) {
#ifdef QUILLSIFT_HAVE_LIBREOFFICE
        // One soffice does the whole call, one file at a time.
        CliOptions options = parsed.options;
        options.jobs = 1;
        quillsift::libreoffice::LoHostProvider provider;
        StartedHost hosts(provider);
        CliRun run(hosts, options);
        return run.exec(stdout, stderr);
#else
        print(stderr, QStringLiteral("quillsift-cli: this build has no LibreOffice host (built without the "
                                     "LibreOffice SDK)\n"));
        return CliRun::someFailed;
#endif
    }

    // The processors the workers and the threads inside a file's save or count share.
    quillsift::platform::ProcessorShare processors(QThread::idealThreadCount());
    // Only a save with tracked changes needs what the removals took out.
    quillsift::docx::DocxHostProvider hosts(&processors, {},
                                            parsed.options.trackChanges ? quillsift::docx::DeletionRecord::Kept
                                                                        : quillsift::docx::DeletionRecord::NotKept);
    CliRun run(hosts, parsed.options, &processors);
    return run.exec(stdout, stderr);
}
