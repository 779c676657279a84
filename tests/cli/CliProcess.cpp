// SPDX-License-Identifier: GPL-3.0-or-later
#include "CliProcess.h"

#include <QJsonDocument>
#include <QProcess>

namespace quillsift::testing {

QList<QJsonObject> CliResult::reports() const
{
    QList<QJsonObject> result;
    for (const QByteArray& line : out.split('\n')) {
        if (!line.isEmpty()) {
            result << QJsonDocument::fromJson(line).object();
        }
    }
    return result;
}

QByteArray CliResult::transcript() const
{
    return "exit " + QByteArray::number(exitCode) + "\n--- stdout\n" + out + "--- stderr\n" + err;
}

CliResult runCli(const QStringList& arguments, const QString& workingDirectory)
{
    QProcess process;
    process.setWorkingDirectory(workingDirectory);
    process.start(QStringLiteral(QUILLSIFT_CLI_PATH), arguments);
    CliResult result;
    // Generous: the corpus run converts old formats through LibreOffice on a busy machine.
    if (!process.waitForFinished(30 * 60 * 1000) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished();
        result.err = "quillsift-cli did not end normally: " + process.errorString().toUtf8();
        return result;
    }
    result.exitCode = process.exitCode();
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

} // namespace quillsift::testing
