// SPDX-License-Identifier: GPL-3.0-or-later
#include "StartOptions.h"

#include <QCommandLineParser>
#include <QDir>
#include <QUrl>

namespace quillsift::main_window {

namespace {

const QString printListName = QStringLiteral("print-list");
const QString helpName = QStringLiteral("help");
const QString versionName = QStringLiteral("version");

QString absolutePath(const QString& argument, const QDir& workingDirectory)
{
    // Some launchers pass file: addresses even where the desktop entry asks for paths.
    const QString path = argument.startsWith(QLatin1String("file:"), Qt::CaseInsensitive)
                             ? QUrl(argument).toLocalFile()
                             : workingDirectory.absoluteFilePath(argument);
    QString cleaned = QDir::toNativeSeparators(QDir::cleanPath(path));
    // Like a dropped folder, a folder is named without a trailing separator.
    while (cleaned.size() > 1 && cleaned.endsWith(QDir::separator())) {
        cleaned.chop(1);
    }
    return cleaned;
}

} // namespace

StartOptions parseStartOptions(const QStringList& arguments, const QString& workingDirectory)
{
    QCommandLineParser parser;
    // --help and --version are plain options: the parser's own handling prints and exits from
    // inside the library, and needs the application object that a help text must not wait for.
    parser.addOptions({{printListName, QString()}, {helpName, QString()}, {versionName, QString()}});
    StartOptions result;
    if (!parser.parse(arguments)) {
        result.action = StartOptions::Action::UsageError;
        result.error = parser.errorText();
        return result;
    }
    if (parser.isSet(helpName)) {
        result.action = StartOptions::Action::ShowHelp;
        return result;
    }
    if (parser.isSet(versionName)) {
        result.action = StartOptions::Action::ShowVersion;
        return result;
    }
    result.printList = parser.isSet(printListName);
    const QDir directory(workingDirectory);
    const QStringList positional = parser.positionalArguments();
    for (const QString& argument : positional) {
        // An empty argument names no file (an unset variable in a script, say); it is skipped
        // rather than taken for the working folder.
        if (!argument.isEmpty()) {
            result.files << absolutePath(argument, directory);
        }
    }
    return result;
}

QString startUsageLine()
{
    return QStringLiteral("Usage: quillsift [--print-list] [FILE...]");
}

QString startHelpText()
{
    return startUsageLine() +
           QStringLiteral(
               "\n"
               "Opens the Quillsift window, which removes repeated paragraphs or words from Word documents.\n"
               "\n"
               "Options:\n"
               "  --print-list  Start as usual, print the list's entries one per line on standard output\n"
               "                once the window has shown, and quit.\n"
               "  --help        Show this help and exit.\n"
               "  --version     Show the version and exit.\n"
               "  Qt's own options, such as -platform NAME and -style NAME, are taken too.\n"
               "\n"
               "Arguments:\n"
               "  FILE          Documents to put on the list, in the order given, as if dropped on it: Word\n"
               "                documents (.docx, .docm, .dotx, .dotm), plain text (.txt), or .doc, .rtf and\n"
               "                .odt where LibreOffice is installed. A file that does not exist is left out\n"
               "                and named in a message.\n");
}

} // namespace quillsift::main_window
