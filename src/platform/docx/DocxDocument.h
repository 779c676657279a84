// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DocxPlainWords.h"
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
    /// Writes the package the document was read or copied from (a .docx, .docm, .dotx or .dotm,
    /// as saveAs does) with every deletion since kept as a tracked deletion by "Quillsift" at
    /// time: accepting them all gives the document's text, rejecting them its source's. Refuses
    /// a .txt name, which cannot hold them, the document's source, and a document that has had
    /// text inserted since it was read.
    void saveWithTrackedChanges(const QString& path, const QDateTime& time) override;
    bool saved() const override;
    QStringList repairs() const override;
    void noteCleaning(engine::RemovalMode mode, qint64 removed) override;
    engine::PlainWords* plainWords() override;

    /// What the run that made this copy did to it.
    struct Cleaning {
        engine::RemovalMode mode = engine::RemovalMode::Lines;
        qint64 removed = 0;
        /// When it was cleaned, the date its removals carry as tracked changes.
        QDateTime time;
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

    /// The author of the tracked deletions.
    static constexpr const char* changeAuthor = "Quillsift";

  private:
    /// Refuses the document's source file (and its copy's source) as the target.
    void refuseSource(const QString& path) const;
    /// The bytes of package as a file with path's extension: a .docx loses the macros.
    QByteArray packageBytes(const QString& path, Package package) const;
    void write(const QString& path, const QByteArray& bytes);

    QString m_name;
    QString m_fullName;
    std::shared_ptr<DocxStory> m_story;
    CloseHandler m_onClose;
    std::optional<Cleaning> m_cleaning;
    std::unique_ptr<DocxPlainWords> m_plainWords;
};

} // namespace quillsift::docx
