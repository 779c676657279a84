// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

namespace quillsift::engine {

/// File names as the system spells them: bytes, which need not be UTF-8. A name's bytes that are
/// not UTF-8 travel in a QString as the lone surrogates U+DC80 to U+DCFF, one for each byte, so
/// that such a file can still be opened, and named in a message, by what it is called.
namespace FileName {

/// The name for bytes from the system (argv, a directory entry).
QString fromNative(const QByteArray& bytes);
/// The bytes to give the system for a name fromNative made, or any other.
QByteArray toNative(const QString& name);
/// The name for a person to read: each byte that is not UTF-8 as "\xFF".
QString forDisplay(const QString& name);
/// The name with each byte that is not UTF-8 made U+FFFD, for a new file's name.
QString withReplacements(const QString& name);

} // namespace FileName

} // namespace quillsift::engine
