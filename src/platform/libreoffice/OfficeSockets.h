// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

namespace quillsift::libreoffice {

/// The socket files soffice makes for its pipes, which it leaves in the system's temporary folder
/// when it ends, however it ends: one for the connection pipe it accepts on, and one that keeps its
/// user profile to a single soffice. Knows their names; removes those of one soffice once it has
/// ended, and touches nothing else.
namespace OfficeSockets {

/// Where soffice makes the sockets of the pipe pipeName and of the profile at profileUrl (the
/// UserInstallation it was given), whether they are there or not.
QStringList paths(const QString& pipeName, const QString& profileUrl);

/// Removes those of paths() that are sockets. Only for an soffice that has ended: a running one
/// would lose its pipes.
void removeLeftBy(const QString& pipeName, const QString& profileUrl);

} // namespace OfficeSockets

} // namespace quillsift::libreoffice
