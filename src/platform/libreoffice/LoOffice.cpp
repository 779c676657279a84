// SPDX-License-Identifier: GPL-3.0-or-later
#include "LoOffice.h"

#include "OfficeSockets.h"
#include "UnoStrings.h"

#include "engine/HostError.h"

#include <com/sun/star/bridge/UnoUrlResolver.hpp>
#include <com/sun/star/bridge/XUnoUrlResolver.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/uno/Exception.hpp>
#include <cppuhelper/bootstrap.hxx>

#include <QAtomicInteger>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QStandardPaths>
#include <QThread>
#include <QUrl>

#include <atomic>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <set>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace quillsift::libreoffice {

using css::uno::Reference;
using engine::HostError;

namespace {

/// This process's own UNO runtime, made once: it only carries the bridge to soffice.
Reference<css::uno::XComponentContext> localContext()
{
    // Made once and never released: releasing it while the process ends would race the UNO
    // runtime's own teardown.
    static const auto* const context = [] {
        // The runtime finds its types and services through LibreOffice's own bootstrap file, as
        // every program built with the SDK does.
        if (qEnvironmentVariableIsEmpty("URE_BOOTSTRAP")) {
            qputenv("URE_BOOTSTRAP", "vnd.sun.star.pathname:" QUILLSIFT_LO_PROGRAM "/fundamentalrc");
        }
        return new Reference<css::uno::XComponentContext>(cppu::defaultBootstrap_InitialComponentContext());
    }();
    return *context;
}

QString connectionUrl(const QString& pipeName)
{
    return QStringLiteral("uno:pipe,name=%1;urp;StarOffice.ComponentContext").arg(pipeName);
}

/// The remote context of the soffice on pipeName, or an empty reference while it does not answer.
Reference<css::uno::XComponentContext> connect(const QString& pipeName)
{
    try {
        const Reference<css::bridge::XUnoUrlResolver> resolver = css::bridge::UnoUrlResolver::create(localContext());
        return Reference<css::uno::XComponentContext>(resolver->resolve(toOUString(connectionUrl(pipeName))),
                                                      css::uno::UNO_QUERY);
    } catch (const css::connection::NoConnectException&) {
        return {};
    }
}

QString findProgram(const QString& requested)
{
    if (!requested.isEmpty()) {
        return QFileInfo(requested).isExecutable() ? requested : QString();
    }
    const QString fromEnvironment = qEnvironmentVariable("QUILLSIFT_SOFFICE");
    if (!fromEnvironment.isEmpty()) {
        return QFileInfo(fromEnvironment).isExecutable() ? fromEnvironment : QString();
    }
    QString found = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (found.isEmpty()) {
        found = QStandardPaths::findExecutable(QStringLiteral("soffice"), {QStringLiteral(QUILLSIFT_LO_PROGRAM)});
    }
    return found;
}

QString uniquePipeName()
{
    static QAtomicInteger<quint32> counter;
    return QStringLiteral("quillsift-%1-%2").arg(::getpid()).arg(counter.fetchAndAddRelaxed(1));
}

QMutex startedMutex;
std::set<pid_t> started;

// The same process groups where a signal handler can read them.
constexpr int signalSlots = 64;
std::atomic<pid_t> groupsForSignals[signalSlots];

void rememberForSignals(pid_t group)
{
    for (auto& slot : groupsForSignals) {
        pid_t empty = 0;
        if (slot.compare_exchange_strong(empty, group)) {
            return;
        }
    }
}

void forgetForSignals(pid_t group)
{
    for (auto& slot : groupsForSignals) {
        pid_t expected = group;
        slot.compare_exchange_strong(expected, 0);
    }
}

/// Interrupting or terminating this program must not leave its soffices behind: they are ended,
/// and then the signal does what it would have done.
extern "C" void endStartedOnSignal(int signal)
{
    for (auto& slot : groupsForSignals) {
        if (const pid_t group = slot.load(); group > 0) {
            ::kill(-group, SIGKILL);
        }
    }
    std::signal(signal, SIG_DFL);
    ::raise(signal);
}

void installSignalHandlers()
{
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction current = {};
        // A program that handles the signal itself keeps its handler.
        if (::sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_DFL) {
            struct sigaction handler = {};
            handler.sa_handler = endStartedOnSignal;
            sigemptyset(&handler.sa_mask);
            ::sigaction(signal, &handler, nullptr);
        }
    }
}

/// Starts program in a process group of its own, so that everything it starts can be ended with it.
/// The private profile's settings: no lock file beside a document it opens, which would stay
/// beside the user's source if soffice were ended with the document open.
void writeSettings(const QString& profile)
{
    QDir(profile).mkpath(QStringLiteral("user"));
    QFile settings(QDir(profile).filePath(QStringLiteral("user/registrymodifications.xcu")));
    if (settings.open(QIODevice::WriteOnly)) {
        settings.write("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                       "<oor:items xmlns:oor=\"http://openoffice.org/2001/registry\" "
                       "xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" "
                       "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">\n"
                       "<item oor:path=\"/org.openoffice.Office.Common/Misc\"><prop oor:name=\"UseDocumentLocking\" "
                       "oor:op=\"fuse\"><value>false</value></prop></item>\n"
                       "</oor:items>\n");
    }
}

/// Starts program in a process group of its own, with temporaryFolder as its TMPDIR.
pid_t spawn(const QString& program, const QStringList& arguments, const QString& temporaryFolder)
{
    std::vector<std::string> strings;
    strings.push_back(program.toStdString());
    for (const QString& argument : arguments) {
        strings.push_back(argument.toStdString());
    }
    std::vector<char*> argv;
    for (std::string& string : strings) {
        argv.push_back(string.data());
    }
    argv.push_back(nullptr);
    std::vector<std::string> variables;
    for (char** variable = environ; *variable; ++variable) {
        if (std::strncmp(*variable, "TMPDIR=", 7) != 0) {
            variables.emplace_back(*variable);
        }
    }
    variables.push_back("TMPDIR=" + QFile::encodeName(temporaryFolder).toStdString());
    std::vector<char*> envp;
    for (std::string& variable : variables) {
        envp.push_back(variable.data());
    }
    envp.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        // Only async-signal-safe calls between fork and exec.
        ::setpgid(0, 0);
        const int devNull = ::open("/dev/null", O_RDWR);
        if (devNull >= 0) {
            ::dup2(devNull, STDIN_FILENO);
            ::dup2(devNull, STDOUT_FILENO);
            ::dup2(devNull, STDERR_FILENO);
        }
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    if (pid > 0) {
        // Also from this side, so that the group exists before anything is sent to it.
        ::setpgid(pid, pid);
        const QMutexLocker lock(&startedMutex);
        started.insert(pid);
        rememberForSignals(pid);
    }
    return pid;
}

/// Whether the process has exited (and has been reaped); its status goes to status.
bool hasExited(pid_t pid, int& status)
{
    return ::waitpid(pid, &status, WNOHANG) == pid;
}

void killGroup(pid_t pid)
{
    ::kill(-pid, SIGKILL);
    ::kill(pid, SIGKILL);
}

void forget(pid_t pid)
{
    const QMutexLocker lock(&startedMutex);
    started.erase(pid);
    forgetForSignals(pid);
}

} // namespace

std::shared_ptr<LoOffice> LoOffice::start(const StartOptions& options)
{
    std::shared_ptr<LoOffice> office(new LoOffice);
    office->m_options = options;
    office->m_headless = options.headless;
    office->launch();
    return office;
}

bool LoOffice::recoverIfGone(bool connectionLost)
{
    int status = 0;
    if (m_pid <= 0) {
        return false;
    }
    const bool exited = hasExited(m_pid, status);
    if (!exited && !connectionLost) {
        return false;
    }
    // soffice died or stopped answering (a document it could not cope with): what it had open
    // is lost, but the files still to come get a new one.
    killGroup(m_pid);
    if (!exited) {
        ::waitpid(m_pid, &status, 0);
    }
    ended();
    m_desktop.clear();
    m_context.clear();
    m_profile.reset();
    launch();
    return true;
}

void LoOffice::launch()
{
    const StartOptions& options = m_options;
    const QString program = findProgram(options.program);
    if (program.isEmpty()) {
        throw HostError(QString(), QStringLiteral("LibreOffice is not installed: the program soffice was not found"));
    }
    // A write to a connection soffice has closed must fail as an error, not end this program.
    std::signal(SIGPIPE, SIG_IGN);
    installSignalHandlers();

    m_profile = std::make_unique<QTemporaryDir>(QDir::temp().filePath(QStringLiteral("quillsift-lo-XXXXXX")));
    if (!m_profile->isValid()) {
        throw HostError(QString(),
                        QStringLiteral("LibreOffice could not be started: no temporary folder for its profile"));
    }
    writeSettings(m_profile->path());
    // What soffice leaves in its temporary folder goes with the profile.
    const QString temporaryFolder = QDir(m_profile->path()).filePath(QStringLiteral("tmp"));
    QDir().mkpath(temporaryFolder);
    m_pipeName = uniquePipeName();
    m_profileUrl = QUrl::fromLocalFile(m_profile->path()).toString();
    const QStringList arguments = {
        options.headless ? QStringLiteral("--headless") : QStringLiteral("--invisible"),
        QStringLiteral("--norestore"),
        QStringLiteral("--nologo"),
        QStringLiteral("--nodefault"),
        QStringLiteral("--nolockcheck"),
        QStringLiteral("-env:UserInstallation=") + m_profileUrl,
        QStringLiteral("--accept=pipe,name=%1;urp;StarOffice.ComponentContext").arg(m_pipeName),
    };
    m_pid = spawn(program, arguments, temporaryFolder);
    if (m_pid <= 0) {
        m_pid = -1;
        throw HostError(QString(), QStringLiteral("LibreOffice could not be started (%1)").arg(program));
    }

    QElapsedTimer timer;
    timer.start();
    while (true) {
        int status = 0;
        if (hasExited(m_pid, status)) {
            // Anything it started on its side goes with it.
            killGroup(m_pid);
            ended();
            throw HostError(QString(),
                            QStringLiteral("LibreOffice could not be started: %1 ended at once (exit status %2)")
                                .arg(program)
                                .arg(WIFEXITED(status) ? WEXITSTATUS(status) : -1));
        }
        try {
            m_context = connect(m_pipeName);
        } catch (const css::uno::Exception&) {
            m_context.clear();
        }
        if (m_context.is()) {
            break;
        }
        if (timer.elapsed() > options.timeoutMilliseconds) {
            // Whoever holds this object ends the process group with it.
            throw HostError(QString(), QStringLiteral("LibreOffice did not start within %1 seconds")
                                           .arg(options.timeoutMilliseconds / 1000.0));
        }
        QThread::msleep(100);
    }
    try {
        m_desktop = css::frame::Desktop::create(m_context);
    } catch (const css::uno::Exception& error) {
        throw HostError(QString(), QStringLiteral("LibreOffice did not start: %1").arg(toQString(error.Message)));
    }
}

std::shared_ptr<LoOffice> LoOffice::attach(const QString& pipeName)
{
    std::signal(SIGPIPE, SIG_IGN);
    try {
        Reference<css::uno::XComponentContext> context = connect(pipeName);
        if (!context.is()) {
            return nullptr;
        }
        std::shared_ptr<LoOffice> office(new LoOffice);
        office->m_context = context;
        office->m_desktop = css::frame::Desktop::create(context);
        return office;
    } catch (const css::uno::Exception&) {
        return nullptr;
    }
}

std::vector<qint64> LoOffice::startedProcessGroups()
{
    const QMutexLocker lock(&startedMutex);
    std::vector<qint64> living;
    for (const pid_t group : started) {
        if (::kill(-group, 0) == 0) {
            living.push_back(group);
        }
    }
    return living;
}

LoOffice::~LoOffice()
{
    shutdown();
}

void LoOffice::ended() noexcept
{
    forget(m_pid);
    m_pid = -1;
    OfficeSockets::removeLeftBy(m_pipeName, m_profileUrl);
}

void LoOffice::release()
{
    forget(m_pid);
    m_pid = -1;
    if (m_profile) {
        m_profile->setAutoRemove(false);
    }
}

void LoOffice::shutdown() noexcept
{
    if (m_pid <= 0) {
        return;
    }
    const bool asked = m_desktop.is();
    if (asked) {
        try {
            m_desktop->terminate();
        } catch (...) {
            // The connection closes as soffice ends, which may be reported as a failure here.
        }
    }
    m_desktop.clear();
    m_context.clear();
    int status = 0;
    bool exited = false;
    // An soffice asked to end gets a moment to do so cleanly; one that never answered does not.
    for (int i = 0; asked && i < 200 && !exited; ++i) {
        exited = hasExited(m_pid, status);
        if (!exited) {
            QThread::msleep(25);
        }
    }
    // Whatever soffice started on its side goes too, and a process that would not end is ended.
    killGroup(m_pid);
    if (!exited) {
        ::waitpid(m_pid, &status, 0);
    }
    ended();
}

} // namespace quillsift::libreoffice
