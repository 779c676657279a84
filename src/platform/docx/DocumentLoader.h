// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Package.h"

#include <QString>

namespace quillsift::docx {

/// Reads a file once and turns it into a Word package, whatever it holds: a Word package as it
/// is, plain text as one paragraph per line, and the other word-processor formats through
/// LibreOffice. The kind is told by content, not by the file name (plain text aside).
class DocumentLoader
{
  public:
    struct Loaded {
        Package package;
        bool plainText = false;
    };

    static constexpr qint64 maxFileSize = qint64(1) << 30;

    /// Throws HostError naming the file and the cause.
    static Loaded load(const QString& fileName);
};

} // namespace quillsift::docx
