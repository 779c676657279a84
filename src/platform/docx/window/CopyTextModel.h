// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/docx/RemovalHistory.h"

#include <QAbstractListModel>

#include <memory>
#include <optional>

namespace quillsift::docx {

class DocxDocument;

/// The text of one document for the host window's view, one row per piece of a paragraph
/// (RemovalHistory), each row's HTML made only when the view asks for it: what was kept with its
/// bold, italic and underline, and what the run removed struck through where it stood. With
/// marks shown, spaces, tabs and paragraph marks are drawn as Word draws them; a removed
/// paragraph mark is always drawn, so a removed empty paragraph can be seen. Owns the history it
/// reads; keeps the document open for as long as it shows it.
class CopyTextModel : public QAbstractListModel
{
    Q_OBJECT

  public:
    explicit CopyTextModel(QObject* parent = nullptr);

    /// Shows document (none when null), from its first row.
    void setDocument(std::shared_ptr<DocxDocument> document);
    void setShowMarks(bool show);
    bool showMarks() const
    {
        return m_showMarks;
    }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    /// The HTML of one piece.
    static QString pieceHtml(const RemovalHistory::Piece& piece, bool showMarks);

  private:
    std::shared_ptr<DocxDocument> m_document;
    std::optional<RemovalHistory> m_history;
    bool m_showMarks = false;
};

} // namespace quillsift::docx
