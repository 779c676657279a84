// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Package.h"
#include "SourcePackage.h"

#include "platform/MemoryBudget.h"

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
        /// The way to read the same package again, from bytes no larger than the file's.
        SourcePackage source;
        bool plainText = false;
    };

    static constexpr qint64 maxFileSize = qint64(1) << 30;
    /// What an open document takes, at most, for every byte of its package's parts as they stand
    /// unpacked: the parsed tree, the text and its indexes, the copy and the search table.
    static constexpr qint64 memoryPerByte = 16;

    /// Throws HostError naming the file and the cause, also when opening it would take more
    /// memory than memory says is left.
    static Loaded load(const QString& fileName, const platform::MemoryBudget& memory = platform::systemMemory());
};

} // namespace quillsift::docx
