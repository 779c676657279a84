// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliOptions.h"
#include "cli/CliRun.h"
#include "docx/DocxHostProvider.h"

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

} // namespace

int main(int argc, char* argv[])
{
    using namespace quillsift::cli;

    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quillsift-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUILLSIFT_VERSION));

    const ParsedCommandLine parsed = parseCommandLine(QCoreApplication::arguments(), QThread::idealThreadCount());
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

    quillsift::docx::DocxHostProvider hosts;
    CliRun run(hosts, parsed.options);
    return run.exec(stdout, stderr);
}
