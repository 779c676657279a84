// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QPoint>
#include <QSize>
#include <QString>

#include <optional>

namespace quillsift::platform {

/// Hands addresses to the desktop: what `explorer "address"` does on Windows.
class Shell
{
  public:
    virtual ~Shell() = default;
    /// Opens the web address in the user's browser without waiting; failures go unreported.
    virtual void openAddress(const QString& address) = 0;
};

/// The primary screen and the pointer on it.
class Screen
{
  public:
    virtual ~Screen() = default;
    /// The full size of the primary screen in device-independent pixels.
    virtual QSize size() const = 0;
    /// The pointer's position on the screen in device-independent pixels.
    virtual QPoint cursorPosition() const = 0;
};

/// A pseudo-random generator that can be seeded from the time of day.
class Random
{
  public:
    virtual ~Random() = default;
    /// Seeds the generator from the seconds since midnight.
    virtual void seedFromTimeOfDay() = 0;
    /// The next number, from 0 up to but not including 1.
    virtual double next() = 0;
};

/// The file system as the window needs it.
class FileSystem
{
  public:
    virtual ~FileSystem() = default;
    /// The last-modification time of path, or nothing when it cannot be read for any reason.
    virtual std::optional<QDateTime> modificationTime(const QString& path) const = 0;
};

/// The running program itself.
class Process
{
  public:
    virtual ~Process() = default;
    /// The folder that holds the program's executable, without a trailing separator.
    virtual QString programFolder() const = 0;
    /// The folder an installation keeps the program's data files in (share/quillsift beside the
    /// bin folder that holds the executable), without a trailing separator. It need not exist.
    virtual QString dataFolder() const = 0;
    /// Processes the pending window messages and returns.
    virtual void yield() = 0;
    /// Ends the program at once: nothing after this call runs.
    virtual void exitNow(int code) = 0;
};

} // namespace quillsift::platform
