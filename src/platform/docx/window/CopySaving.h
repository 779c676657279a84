// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class QWidget;

namespace quillsift::platform {
class MessageBox;
} // namespace quillsift::platform

namespace quillsift::docx {

class DocxDocument;

/// Saves many copies into one folder, under the names the command-line tool gives them: the
/// source's name with .docx (.txt for text), " (2)", " (3)", ... where two would meet. It never
/// writes over a source of any copy it is given, and asks through its message box before it
/// replaces any other file. Owns nothing; saves the documents it is handed.
class CopySaving
{
  public:
    /// What a Save All did.
    struct Outcome {
        int saved = 0;
        /// One line per copy not saved: its name and why.
        QStringList failures;
        /// The copies kept unsaved because the user would not replace a file.
        QStringList kept;
    };

    /// Asks over parent through messageBox, which outlives it.
    CopySaving(platform::MessageBox& messageBox, QWidget* parent);

    /// Saves every unsaved copy among copies into folder; with trackChanges, each as a Word
    /// document that keeps its removals as tracked changes (save).
    Outcome saveAll(const std::vector<std::shared_ptr<DocxDocument>>& copies, const QString& folder,
                    bool trackChanges = false);

    /// Saves one copy to path, with its removals kept as tracked changes, dated when it was
    /// cleaned, where trackChanges. Throws HostError.
    static void save(DocxDocument& copy, const QString& path, bool trackChanges);

    /// The name a copy is saved under in a folder: its source's, or its own for a document that
    /// came from no file.
    static QString sourceName(const DocxDocument& copy);
    /// The lines that tell the user what a Save All did not do; empty when it did everything.
    static QString report(const Outcome& outcome);

  private:
    platform::MessageBox& m_messageBox;
    QWidget* m_parent;
};

} // namespace quillsift::docx
