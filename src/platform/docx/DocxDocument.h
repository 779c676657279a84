// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DocxStory.h"

#include "engine/Document.h"

#include <functional>
#include <memory>
#include <optional>

namespace quillsift::docx {

/// A document open in the in-process host.
class DocxDocument : public engine::Document
{
  public:
    using CloseHandler = std::function<void(DocxDocument*)>;

    DocxDocument(QString name, QString fullName, std::shared_ptr<DocxStory> story, CloseHandler onClose);

    QString name() const override;
    QString fullName() const override;
    std::unique_ptr<engine::Range> content() override;
    std::unique_ptr<engine::Range> range() override;
    void close() override;
    /// Writes a .docx (a macro-enabled or template source loses its macros and becomes a plain
    /// document, as in Word), a .docm/.dotx/.dotm as it stands, or UTF-8 text for a .txt name.
    /// Refuses to write over the file the document was opened or copied from.
    void saveAs(const QString& path) override;
    bool saved() const override;
    QStringList repairs() const override;
    void noteCleaning(engine::RemovalMode mode, qint64 removed) override;

    /// What the run that made this copy did to it.
    struct Cleaning {
        engine::RemovalMode mode = engine::RemovalMode::Lines;
        qint64 removed = 0;
    };
    /// Empty for a document no run has cleaned.
    const std::optional<Cleaning>& cleaning() const
    {
        return m_cleaning;
    }

    /// For the host window: the file the document's content was copied from (empty if none),
    /// whether it came from plain text, what was deleted, and the text with basic formatting.
    QString sourcePath() const;
    bool isPlainText() const;
    std::vector<DocxStory::Deletion> deletions() const;
    std::size_t deletionCount() const;
    std::vector<DocxStory::FormattedParagraph> formattedParagraphs() const;
    /// The story, for views that read it (RemovalHistory).
    std::shared_ptr<const DocxStory> story() const
    {
        return m_story;
    }

  private:
    QString m_name;
    QString m_fullName;
    std::shared_ptr<DocxStory> m_story;
    CloseHandler m_onClose;
    std::optional<Cleaning> m_cleaning;
};

} // namespace quillsift::docx
