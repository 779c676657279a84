// SPDX-License-Identifier: GPL-3.0-or-later
#include "DesktopSystem.h"

#include "DesktopDialogs.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QTime>
#include <QUrl>

#include <cstdio>
#include <cstdlib>

namespace quillsift::platform {

void DesktopShell::openAddress(const QString& address)
{
    QDesktopServices::openUrl(QUrl(address));
}

QSize DesktopScreen::size() const
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize();
}

QPoint DesktopScreen::cursorPosition() const
{
    return QCursor::pos();
}

void TimeOfDayRandom::seedFromTimeOfDay()
{
    m_engine.seed(static_cast<std::mt19937::result_type>(QTime::currentTime().msecsSinceStartOfDay() / 1000));
}

double TimeOfDayRandom::next()
{
    return std::uniform_real_distribution<double>(0.0, 1.0)(m_engine);
}

std::optional<QDateTime> LocalFileSystem::modificationTime(const QString& path) const
{
    const QFileInfo info(path);
    if (!info.exists()) {
        return std::nullopt;
    }
    const QDateTime time = info.lastModified();
    return time.isValid() ? std::optional<QDateTime>(time) : std::nullopt;
}

QString DesktopProcess::programFolder() const
{
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
}

QString DesktopProcess::dataFolder() const
{
    // Relative to the executable, so that an installation under any prefix finds its own files.
    const QString fromBin = QStringLiteral(QUILLSIFT_DATA_DIR_FROM_BIN);
    return QDir::toNativeSeparators(
        QDir::cleanPath(QCoreApplication::applicationDirPath() + QLatin1Char('/') + fromBin));
}

void DesktopProcess::yield()
{
    QCoreApplication::processEvents();
}

void DesktopProcess::exitNow(int code)
{
    std::fflush(nullptr);
    std::_Exit(code);
}

struct DesktopServices::Impl {
    DesktopMessageBox messageBox;
    DesktopInputBox inputBox;
    DesktopOpenFileDialog openFileDialog;
    DesktopFolderBrowser folderBrowser;
    DesktopSaveFileDialog saveFileDialog;
    DesktopShell shell;
    DesktopScreen screen;
    TimeOfDayRandom random;
    LocalFileSystem fileSystem;
    DesktopProcess process;
};

DesktopServices::DesktopServices()
    : m_impl(std::make_unique<Impl>())
{
    m_services.messageBox = &m_impl->messageBox;
    m_services.inputBox = &m_impl->inputBox;
    m_services.openFileDialog = &m_impl->openFileDialog;
    m_services.folderBrowser = &m_impl->folderBrowser;
    m_services.saveFileDialog = &m_impl->saveFileDialog;
    m_services.shell = &m_impl->shell;
    m_services.screen = &m_impl->screen;
    m_services.random = &m_impl->random;
    m_services.fileSystem = &m_impl->fileSystem;
    m_services.process = &m_impl->process;
}

DesktopServices::~DesktopServices() = default;

} // namespace quillsift::platform
