// SPDX-License-Identifier: GPL-3.0-or-later
#include "CliOptions.h"

#include <QCommandLineParser>

namespace quillsift::cli {

namespace {

const QString linesName = QStringLiteral("lines");
const QString wordsName = QStringLiteral("words");
const QString outputName = QStringLiteral("output");
const QString dryRunName = QStringLiteral("dry-run");
const QString jsonName = QStringLiteral("json");
const QString jobsName = QStringLiteral("jobs");
const QString forceName = QStringLiteral("force");
const QString hostName = QStringLiteral("host");
const QString trackChangesName = QStringLiteral("track-changes");
const QString helpName = QStringLiteral("help");
const QString versionName = QStringLiteral("version");

/// The options as QCommandLineParser knows them. --help and --version are declared as plain
/// options: the parser's own handling of them would print and exit from inside the library.
void declareOptions(QCommandLineParser& parser)
{
    parser.addOptions({
        {linesName, QStringLiteral("Remove repeated paragraphs, keeping the first of each (the default).")},
        {wordsName, QStringLiteral("Remove repeated words, keeping the first of each.")},
        {outputName, QStringLiteral("Write the cleaned copies into DIR, which is created if missing."),
         QStringLiteral("DIR")},
        {dryRunName, QStringLiteral("Clean and report, but write nothing.")},
        {jsonName, QStringLiteral("Report one JSON object per file, one per line, on standard output.")},
        {jobsName, QStringLiteral("Clean up to N files at once (default: the number of processor cores)."),
         QStringLiteral("N")},
        {forceName, QStringLiteral("Replace existing files in DIR (never one of the input files).")},
        {trackChangesName,
         QStringLiteral("Keep what is removed in the copies as tracked deletions by Quillsift, to accept or reject "
                        "one by one in Word or LibreOffice (copies of plain text are then .docx; docx host only).")},
        {hostName,
         QStringLiteral("The document host: docx, Quillsift's own (the default), or libreoffice, a LibreOffice "
                        "started for the call (one file at a time)."),
         QStringLiteral("NAME")},
        {helpName, QStringLiteral("Show this help and exit.")},
        {versionName, QStringLiteral("Show the version and exit.")},
    });
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("Word documents (.docx, .docm, .dotx, .dotm), "
                                                "plain text (.txt), or .doc, .rtf and .odt "
                                                "where LibreOffice is installed."),
                                 QStringLiteral("FILE..."));
}

ParsedCommandLine usageError(const QString& message)
{
    ParsedCommandLine result;
    result.action = ParsedCommandLine::Action::UsageError;
    result.error = message;
    return result;
}

} // namespace

QString usageLine()
{
    return QStringLiteral(
        "Usage: quillsift-cli [--lines | --words] --output DIR [--dry-run] [--json] [--jobs N] [--force] "
        "[--track-changes] [--host NAME] FILE...");
}

QString helpText()
{
    QCommandLineParser parser;
    declareOptions(parser);
    parser.setApplicationDescription(
        QStringLiteral("Removes repeated paragraphs or words from Word documents and writes the cleaned copies\n"
                       "into a folder. The cleaned copy of path/name.ext is DIR/name.docx (DIR/name.txt for\n"
                       "plain text); a name already used by an earlier file gets \" (2)\", \" (3)\", ...\n"
                       "Source files are never written. Exit status: 0 when every file was cleaned, 1 when\n"
                       "any file failed (the others are still written), 2 for a usage error.\n"
                       "Reports follow the order of the files given, each printed as soon as its file and\n"
                       "every file before it are done; what the host mended in a file to keep its copy sound\n"
                       "is reported with it. A FILE whose name starts with \"-\" goes after \"--\", which\n"
                       "ends the options."));
    // QCommandLineParser's own text starts with a usage line made from the program's arguments;
    // ours is spelt out, since scripts and documentation quote it.
    QString text = parser.helpText();
    const qsizetype firstBreak = text.indexOf(QLatin1Char('\n'));
    return usageLine() + text.mid(firstBreak);
}

ParsedCommandLine parseCommandLine(const QStringList& arguments, int defaultJobs)
{
    QCommandLineParser parser;
    declareOptions(parser);
    if (!parser.parse(arguments)) {
        return usageError(parser.errorText());
    }
    ParsedCommandLine result;
    if (parser.isSet(helpName)) {
        result.action = ParsedCommandLine::Action::ShowHelp;
        return result;
    }
    if (parser.isSet(versionName)) {
        result.action = ParsedCommandLine::Action::ShowVersion;
        return result;
    }

    CliOptions& options = result.options;
    if (parser.isSet(linesName) && parser.isSet(wordsName)) {
        return usageError(QStringLiteral("--lines and --words cannot be given together"));
    }
    options.mode = parser.isSet(wordsName) ? engine::RemovalMode::Words : engine::RemovalMode::Lines;

    const QStringList outputs = parser.values(outputName);
    if (outputs.isEmpty()) {
        return usageError(QStringLiteral("--output DIR is required"));
    }
    if (outputs.size() > 1) {
        return usageError(QStringLiteral("--output can be given only once"));
    }
    if (outputs.constFirst().isEmpty()) {
        return usageError(QStringLiteral("--output needs a folder name"));
    }
    options.outputDirectory = outputs.constFirst();

    options.jobs = std::max(1, defaultJobs);
    if (parser.isSet(jobsName)) {
        const QStringList values = parser.values(jobsName);
        bool ok = false;
        const int jobs = values.constLast().toInt(&ok);
        if (!ok || jobs < 1) {
            return usageError(
                QStringLiteral("--jobs needs a whole number of 1 or more, not \"%1\"").arg(values.constLast()));
        }
        options.jobs = jobs;
    }

    if (parser.isSet(hostName)) {
        const QString host = parser.values(hostName).constLast();
        if (host == QLatin1String("libreoffice")) {
            options.host = HostKind::LibreOffice;
        } else if (host != QLatin1String("docx")) {
            return usageError(QStringLiteral("--host is docx or libreoffice, not \"%1\"").arg(host));
        }
    }

    options.trackChanges = parser.isSet(trackChangesName);
    if (options.trackChanges && options.host == HostKind::LibreOffice) {
        return usageError(QStringLiteral("--track-changes needs the docx host: LibreOffice's copies cannot keep "
                                         "their removals as tracked changes"));
    }

    options.dryRun = parser.isSet(dryRunName);
    options.json = parser.isSet(jsonName);
    options.force = parser.isSet(forceName);
    options.files = parser.positionalArguments();
    if (options.files.isEmpty()) {
        return usageError(QStringLiteral("no FILE given"));
    }
    if (options.files.contains(QString())) {
        return usageError(QStringLiteral("an empty FILE name was given"));
    }
    result.action = ParsedCommandLine::Action::Run;
    return result;
}

} // namespace quillsift::cli
