// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <stdexcept>

namespace quillsift::engine {

/// The one error a document host raises. It names the file concerned (empty when the
/// failure has nothing to do with a file) and the cause in plain words.
class HostError : public std::runtime_error
{
  public:
    HostError(QString file, QString cause);

    const QString& file() const
    {
        return m_file;
    }
    const QString& cause() const
    {
        return m_cause;
    }
    /// "<file>: <cause>", or the cause alone when no file is concerned.
    QString message() const;

  private:
    QString m_file;
    QString m_cause;
};

} // namespace quillsift::engine
