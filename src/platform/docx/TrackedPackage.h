// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DeletionLog.h"
#include "Package.h"

#include <QDateTime>
#include <QString>

namespace quillsift::docx {

/// The package that keeps a document's deletions as tracked changes: the package the document
/// was read from, its main part read again as it was then, with every deletion of the log
/// replayed over the paragraphs' text as read (TrackedDeletions) and written into the XML as a
/// deletion by one author at one time (TrackedChangesWriter). Accepting every one of them gives
/// the document's text; rejecting them gives the text it was read with. Owns nothing once it has
/// returned.
class TrackedPackage
{
  public:
    /// original: the package the document was read from; log: every edit made since; text: the
    /// document's text now. Throws HostError naming fileName where the package cannot be read or
    /// the deletions do not give the text.
    static Package make(const QString& fileName, const Package& original, const DeletionLog& log, const QString& text,
                        const QString& author, const QDateTime& time);
};

} // namespace quillsift::docx
