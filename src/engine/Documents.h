// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Document.h"

#include <QString>

#include <memory>

namespace quillsift::engine {

/// Application.Documents: the host's open documents.
class Documents
{
  public:
    virtual ~Documents() = default;

    /// Documents.Open with the full path only. Throws HostError naming the file and the cause
    /// when it cannot be opened. The file itself is never changed.
    virtual std::shared_ptr<Document> open(const QString& fileName) = 0;
    /// Documents.Add: a new, empty, untitled document ("Document1", "Document2", ...).
    virtual std::shared_ptr<Document> add() = 0;
    virtual qint64 count() const = 0;
};

} // namespace quillsift::engine
