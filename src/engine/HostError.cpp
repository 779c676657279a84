// SPDX-License-Identifier: GPL-3.0-or-later
#include "HostError.h"

#include "FileName.h"

namespace quillsift::engine {

namespace {
std::string compose(const QString& file, const QString& cause)
{
    return (file.isEmpty() ? cause : FileName::forDisplay(file) + QStringLiteral(": ") + cause).toStdString();
}
} // namespace

HostError::HostError(QString file, QString cause)
    : std::runtime_error(compose(file, cause))
    , m_file(std::move(file))
    , m_cause(std::move(cause))
{
}

QString HostError::message() const
{
    return QString::fromStdString(what());
}

} // namespace quillsift::engine
