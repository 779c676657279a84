// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "TextStory.h"

#include <engine/Document.h>

#include <QStringList>

#include <memory>

namespace quillsift::testing {

/// An in-memory document for tests: a story of plain paragraphs and table cells, with the unit,
/// range, delete and find rules of the real hosts and nothing else (no formatting, no files).
class TextDocument : public engine::Document
{
  public:
    /// A document whose paragraphs have the given texts, without their marks. A text ending in
    /// the end-of-cell character 7 is the last paragraph of a table cell and ends "\r\a" in the
    /// story. The last paragraph of the body must not be a cell's.
    static std::shared_ptr<TextDocument> fromParagraphs(const QStringList& paragraphs, QString name = {});
    /// The same as fromParagraphs with the texts split at character 13.
    static std::shared_ptr<TextDocument> fromText(const QString& text, QString name = {});

    explicit TextDocument(QString storyText, QString name);

    /// The paragraphs' texts as fromParagraphs takes them: every character 13 removed.
    QStringList paragraphTexts() const;
    const QString& storyText() const;

    QString name() const override;
    QString fullName() const override;
    std::unique_ptr<engine::Range> content() override;
    std::unique_ptr<engine::Range> range() override;
    void close() override;
    /// Writes the paragraphs as UTF-8 lines.
    void saveAs(const QString& path) override;
    bool saved() const override;

  private:
    std::shared_ptr<TextStory> m_story;
    QString m_name;
    bool m_saved = false;
};

} // namespace quillsift::testing
