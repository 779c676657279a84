// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

namespace quillsift::testing {

/// What one run of the built quillsift-cli did.
struct CliResult {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;

    /// Standard output read as one JSON object per line; a line that is not one fails the test
    /// through an empty object in its place.
    QList<QJsonObject> reports() const;
    /// Standard output and standard error, for failure messages.
    QByteArray transcript() const;
};

/// Runs quillsift-cli with the arguments in workingDirectory and waits for it to end.
CliResult runCli(const QStringList& arguments, const QString& workingDirectory = {});

} // namespace quillsift::testing
