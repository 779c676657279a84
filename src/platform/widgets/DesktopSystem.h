// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Services.h"
#include "platform/System.h"

#include <memory>
#include <random>

namespace quillsift::platform {

/// Opens addresses with the desktop's URL opener.
class DesktopShell : public Shell
{
  public:
    void openAddress(const QString& address) override;
};

class DesktopScreen : public Screen
{
  public:
    QSize size() const override;
    QPoint cursorPosition() const override;
};

class TimeOfDayRandom : public Random
{
  public:
    void seedFromTimeOfDay() override;
    double next() override;

  private:
    std::mt19937 m_engine;
};

class LocalFileSystem : public FileSystem
{
  public:
    std::optional<QDateTime> modificationTime(const QString& path) const override;
};

class DesktopProcess : public Process
{
  public:
    QString programFolder() const override;
    QString dataFolder() const override;
    void yield() override;
    void exitNow(int code) override;
};

/// Owns one real implementation of every service, made once by the program's main and kept for
/// its life; bundle() hands them to the code that uses them. It touches the desktop only through
/// those implementations.
class DesktopServices
{
  public:
    DesktopServices();
    ~DesktopServices();
    DesktopServices(const DesktopServices&) = delete;
    DesktopServices& operator=(const DesktopServices&) = delete;

    /// The real services, valid while this object lives.
    const Services& bundle() const
    {
        return m_services;
    }

  private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
    Services m_services;
};

} // namespace quillsift::platform
