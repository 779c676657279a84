// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Package.h"

#include "engine/FormattedText.h"

#include <memory>
#include <optional>

namespace quillsift::docx {

class DocxStory;

/// Range.FormattedText of the in-process host: the whole package the range lives in (styles,
/// numbering, media, notes, headers and footers come along) and which stretch of its story to keep.
/// While the story it was read from stays as it was, it holds that story and nothing more, so
/// that a copy made after the story closes takes the story's parsed content whole instead of
/// parsing it again; the story settles it with a package of its own before it changes.
class DocxFormattedText : public engine::FormattedText
{
  public:
    DocxFormattedText(std::shared_ptr<DocxStory> story, qint64 start, qint64 end, QString sourcePath, bool plainText);

    /// It holds the package, or the story until it would change.
    bool standsAlone() const override
    {
        return true;
    }

    /// The package as it was read.
    Package package() const;
    /// The story it was read from, when that is closed and still as its package was read (nothing
    /// deleted or inserted before the reading), so that its content can be taken whole; else nullptr.
    std::shared_ptr<DocxStory> closedStory() const;
    /// For the story: it is about to change, so the package is made now.
    void settle() const;
    /// For the story: the content read now stands in story.
    void readFrom(std::shared_ptr<DocxStory> story) const;

    qint64 start() const
    {
        return m_start;
    }
    qint64 end() const
    {
        return m_end;
    }
    const QString& sourcePath() const
    {
        return m_sourcePath;
    }
    bool isPlainText() const
    {
        return m_plainText;
    }

  private:
    // Changed only as the story that was read changes, never what the text reads as.
    mutable std::shared_ptr<DocxStory> m_story;
    mutable std::optional<Package> m_package;
    qint64 m_start = 0;
    qint64 m_end = 0;
    QString m_sourcePath;
    bool m_plainText = false;
};

} // namespace quillsift::docx
