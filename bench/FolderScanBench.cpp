// SPDX-License-Identifier: GPL-3.0-or-later
// Times the folder scan (the tree walk and the per-folder listing, without the window) over a
// generated tree of 100,000 files in 10,000 folders, and `find DIR -iname '*.doc*'` on the same
// tree. Usage: folder_scan_bench [FOLDER] [ROUNDS]; without FOLDER the tree is made in a
// temporary folder and removed afterwards.
#include "file_list/AddFolder.h"
#include "platform/DirectorySearch.h"
#include "platform/System.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace quillsift;

namespace {

constexpr int kTopFolders = 10;
constexpr int kMiddleFolders = 10;
constexpr int kFilesPerFolder = 10;
constexpr int kFolders = 10000;

/// Processes nothing: the scan's own cost, without the window's.
class NoYieldProcess : public platform::Process
{
  public:
    QString programFolder() const override
    {
        return QString();
    }
    QString dataFolder() const override
    {
        return QString();
    }
    void yield() override
    {
    }
    void exitNow(int) override
    {
    }
};

/// Runs the real event loop at every yield, as the program does.
class EventLoopProcess : public NoYieldProcess
{
  public:
    void yield() override
    {
        QCoreApplication::processEvents();
    }
};

void makeFiles(const QString& folder, int& made)
{
    // Six of the ten names match "*.doc" (one of them is an Office lock file the scan leaves out).
    static const char* const names[kFilesPerFolder] = {
        "report %1.doc",   "Letter %1.DOCX", "macro %1.docm", "~$report %1.doc", ".hidden %1.doc",
        "template %1.dot", "notes %1.txt",   "scan %1.pdf",   "résumé %1.doc",   "README %1"};
    for (const char* name : names) {
        QFile file(folder + QLatin1Char('/') + QString::fromUtf8(name).arg(made));
        if (!file.open(QIODevice::WriteOnly)) {
            std::fprintf(stderr, "cannot create %s\n", qPrintable(file.fileName()));
            std::exit(1);
        }
        ++made;
    }
}

/// 10 folders, 10 below each, and the rest spread below those: 10,000 folders with 10 files each.
void makeTree(const QString& root)
{
    int folders = 0;
    int files = 0;
    QStringList middles;
    for (int top = 0; top < kTopFolders; ++top) {
        const QString topPath = root + QStringLiteral("/top %1").arg(top);
        QDir().mkpath(topPath);
        makeFiles(topPath, files);
        ++folders;
        for (int middle = 0; middle < kMiddleFolders; ++middle) {
            const QString middlePath = topPath + QStringLiteral("/middle %1").arg(middle);
            QDir().mkpath(middlePath);
            makeFiles(middlePath, files);
            ++folders;
            middles << middlePath;
        }
    }
    for (int i = 0; folders < kFolders; ++i, ++folders) {
        const QString path = middles.at(i % middles.size()) + QStringLiteral("/leaf %1").arg(i);
        QDir().mkpath(path);
        makeFiles(path, files);
    }
    std::printf("tree: %d folders, %d files in %s\n", folders, files, qPrintable(root));
}

/// The scan as Add Folder makes it, on the local disk, yielding to process.
qsizetype scan(const QString& root, platform::Process& process)
{
    platform::DirectorySearch& search = platform::localDirectorySearch();
    QStringList folders{root + QLatin1Char('/')};
    file_list::FolderWalk walk;
    file_list::CollectSubFolders(folders, search, process, &walk);
    qsizetype found = 0;
    for (const QString& folder : std::as_const(folders)) {
        for (const QString& name : file_list::ListFolderFiles(folder, QStringLiteral("*.doc"), search, &walk)) {
            if (!name.startsWith(QLatin1Char('~'))) {
                ++found;
            }
        }
    }
    return found;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

template <typename Work> double timeRounds(int rounds, Work work)
{
    std::vector<double> times;
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    return median(times);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const int rounds = arguments.size() > 2 ? std::max(1, arguments.at(2).toInt()) : 5;

    QTemporaryDir temporary;
    QString root;
    if (arguments.size() > 1) {
        root = QDir(arguments.at(1)).absolutePath();
        if (!QDir(root).exists()) {
            makeTree(root);
        }
    } else {
        root = temporary.path();
        makeTree(root);
    }

    NoYieldProcess noYield;
    EventLoopProcess eventLoop;

    qsizetype found = scan(root, noYield); // warms the cache for everyone
    const double scanMs = timeRounds(rounds, [&] { found = scan(root, noYield); });

    const double scanWithEventsMs = timeRounds(rounds, [&] { scan(root, eventLoop); });

    const double findMs = timeRounds(rounds, [&] {
        QProcess find;
        find.setStandardOutputFile(QProcess::nullDevice());
        find.start(QStringLiteral("find"), {root, QStringLiteral("-iname"), QStringLiteral("*.doc*")});
        find.waitForFinished(-1);
    });

    std::printf("files found by the scan: %lld\n", static_cast<long long>(found));
    std::printf("scan (no-op yield):         %8.1f ms (median of %d)\n", scanMs, rounds);
    std::printf("scan (event-loop yield):    %8.1f ms (median of %d)\n", scanWithEventsMs, rounds);
    std::printf("find -iname '*.doc*':       %8.1f ms (median of %d)\n", findMs, rounds);
    std::printf("scan / find:                %8.2f\n", scanMs / findMs);
    return 0;
}
