// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "HostError.h"
#include "PlainWords.h"
#include "Range.h"

#include <QDateTime>

#include <QString>
#include <QStringList>

#include <memory>

namespace quillsift::engine {

/// What a cleaning removes: repeated paragraphs or repeated words.
enum class RemovalMode {
    Lines,
    Words,
};

/// One open document of a host. Every call may throw HostError.
class Document
{
  public:
    virtual ~Document() = default;

    /// The document's name as the host shows it: the file name, or "Document1", ... for new ones.
    virtual QString name() const = 0;
    /// The file the document was opened from; empty for a new document.
    virtual QString fullName() const = 0;

    /// Document.Content and Document.Range(): the whole main story.
    virtual std::unique_ptr<Range> content() = 0;
    virtual std::unique_ptr<Range> range() = 0;

    /// Document.Close with no arguments: discards the document unsaved. The object must not be
    /// used afterwards.
    virtual void close() = 0;

    /// Writes the document to a new file. Never called by the run itself: it is how a user or the
    /// command-line tool keeps a cleaned copy.
    virtual void saveAs(const QString& path) = 0;
    /// Writes the document to a new file as saveAs does, but as the file it was made from with
    /// what has been deleted since kept as tracked deletions, by Quillsift at time, which Word
    /// and LibreOffice offer to accept or reject one by one. Hosts that cannot refuse.
    virtual void saveWithTrackedChanges(const QString& path, const QDateTime& time)
    {
        Q_UNUSED(time);
        throw HostError(path, QStringLiteral("this document host cannot keep removals as tracked changes"));
    }
    virtual bool saved() const = 0;

    /// What the host left out or mended while reading the document so that what it writes is
    /// sound (an entry named outside the package, characters XML does not allow, ...), in
    /// sentences naming the part concerned; empty for nearly every document, and for hosts that
    /// mend nothing.
    virtual QStringList repairs() const
    {
        return {};
    }

    /// Tells the host what a cleaning did to this document (removed paragraphs in line mode,
    /// words in word mode), for hosts that show it; others ignore it.
    virtual void noteCleaning(RemovalMode mode, qint64 removed)
    {
        Q_UNUSED(mode);
        Q_UNUSED(removed);
    }
    /// The host's quicker way through words of plain text for the word walk, owned by the
    /// document; null for hosts that have none.
    virtual PlainWords* plainWords()
    {
        return nullptr;
    }
};

} // namespace quillsift::engine
