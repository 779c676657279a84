// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DeflateStream.h"

#include <QByteArray>

#include <pugixml.hpp>

namespace quillsift::docx {

/// A parsed part written back as the bytes of a package entry: UTF-8, unindented, as read.
/// sizeHint, when known, saves the buffer from growing in steps.
QByteArray xmlBytes(const pugi::xml_document& document, qsizetype sizeHint = 0);
/// The same bytes deflated as they are written, into stream; returns the stream finished.
Deflated xmlDeflated(const pugi::xml_document& document, DeflateStream& stream);

} // namespace quillsift::docx
