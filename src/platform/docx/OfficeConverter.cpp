// SPDX-License-Identifier: GPL-3.0-or-later
#include "OfficeConverter.h"

#include "engine/HostError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>

namespace quillsift::docx {

using engine::HostError;

namespace {
constexpr int conversionTimeoutMs = 180000;

QString kindName(const QString& kind)
{
    if (kind == QLatin1String("doc")) {
        return QStringLiteral("Word 97-2003 documents");
    }
    if (kind == QLatin1String("rtf")) {
        return QStringLiteral("RTF documents");
    }
    return QStringLiteral("OpenDocument text");
}
} // namespace

QString OfficeConverter::executable()
{
    if (qEnvironmentVariableIsSet("QUILLSIFT_SOFFICE")) {
        const QString configured = qEnvironmentVariable("QUILLSIFT_SOFFICE");
        return QFileInfo(configured).isExecutable() ? configured : QString();
    }
    QString found = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (found.isEmpty()) {
        found = QStandardPaths::findExecutable(QStringLiteral("libreoffice"));
    }
    return found;
}

QByteArray OfficeConverter::toDocx(const QString& fileName, const QByteArray& bytes, const QString& kind)
{
    const QString program = executable();
    if (program.isEmpty()) {
        throw HostError(
            fileName, QStringLiteral("LibreOffice is needed to open %1, and it is not installed").arg(kindName(kind)));
    }
    QTemporaryDir folder;
    if (!folder.isValid()) {
        throw HostError(
            fileName,
            QStringLiteral("no temporary folder can be made for the conversion (%1)").arg(folder.errorString()));
    }
    const QString input = folder.filePath(QStringLiteral("source.") + kind);
    {
        QFile copy(input);
        if (!copy.open(QIODevice::WriteOnly) || copy.write(bytes) != bytes.size()) {
            throw HostError(fileName,
                            QStringLiteral("the file cannot be copied for conversion (%1)").arg(copy.errorString()));
        }
    }
    const QString output = folder.filePath(QStringLiteral("out"));
    // A private profile keeps this conversion apart from a LibreOffice the user has open and from
    // conversions running at the same time on other threads.
    const QString profile = QUrl::fromLocalFile(folder.filePath(QStringLiteral("profile"))).toString();
    QProcess process;
    process.setProgram(program);
    process.setArguments({QStringLiteral("-env:UserInstallation=") + profile, QStringLiteral("--headless"),
                          QStringLiteral("--norestore"), QStringLiteral("--convert-to"), QStringLiteral("docx"),
                          QStringLiteral("--outdir"), output, input});
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start();
    if (!process.waitForStarted()) {
        throw HostError(fileName, QStringLiteral("LibreOffice could not be started to convert %1 (%2)")
                                      .arg(kindName(kind), process.errorString()));
    }
    if (!process.waitForFinished(conversionTimeoutMs)) {
        process.kill();
        process.waitForFinished();
        throw HostError(fileName, QStringLiteral("LibreOffice did not finish converting the file in time"));
    }
    QFile converted(QDir(output).filePath(QStringLiteral("source.docx")));
    if (process.exitStatus() != QProcess::NormalExit || !converted.open(QIODevice::ReadOnly)) {
        throw HostError(fileName, QStringLiteral("LibreOffice could not convert the file (it may be damaged)"));
    }
    return converted.readAll();
}

} // namespace quillsift::docx
