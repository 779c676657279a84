// SPDX-License-Identifier: GPL-3.0-or-later
#include "CopyTextModel.h"

#include "platform/docx/DocxDocument.h"

namespace quillsift::docx {

namespace {

using Character = RemovalHistory::Character;

const QString markColour = QStringLiteral("#7a8aa0");

/// A mark drawn in place of a character: grey where it was kept, in the colour of the removed
/// text around it where it was removed.
QString markHtml(const QString& mark, bool removed = false)
{
    return removed ? mark : QStringLiteral("<span style=\"color:%1\">%2</span>").arg(markColour, mark);
}

/// One character as HTML. Paragraph and cell ends draw only when marks are shown or when they
/// were removed.
QString characterHtml(const Character& c, bool showMarks)
{
    const bool marks = showMarks || c.removed;
    switch (c.ch.unicode()) {
    case 13:
        return marks ? markHtml(QStringLiteral("&para;"), c.removed) : QString();
    case 7:
        return marks ? markHtml(QStringLiteral("&curren;"), c.removed) : QString();
    case 9:
        return showMarks ? markHtml(QStringLiteral("&rarr;"), c.removed) + QStringLiteral("&emsp;")
                         : QStringLiteral("&emsp;");
    case ' ':
        return showMarks ? markHtml(QStringLiteral("&middot;"), c.removed) : QStringLiteral(" ");
    case 0xA0:
        return showMarks ? markHtml(QStringLiteral("&deg;"), c.removed) : QStringLiteral("&nbsp;");
    case 11:
    case 12:
    case 14:
        return QStringLiteral("<br>");
    case 1:
        return markHtml(QStringLiteral("[picture]"));
    case 2:
        return QStringLiteral("<sup>*</sup>");
    case '<':
        return QStringLiteral("&lt;");
    case '>':
        return QStringLiteral("&gt;");
    case '&':
        return QStringLiteral("&amp;");
    default:
        return QString(c.ch);
    }
}

bool sameLook(const Character& a, const Character& b)
{
    return a.bold == b.bold && a.italic == b.italic && a.underline == b.underline && a.removed == b.removed;
}

} // namespace

CopyTextModel::CopyTextModel(QObject* parent)
    : QAbstractListModel(parent)
{
}

void CopyTextModel::setDocument(std::shared_ptr<DocxDocument> document)
{
    beginResetModel();
    m_history.reset();
    m_document = std::move(document);
    if (m_document) {
        m_history.emplace(m_document->story());
    }
    endResetModel();
}

void CopyTextModel::setShowMarks(bool show)
{
    if (show == m_showMarks) {
        return;
    }
    m_showMarks = show;
    if (rowCount() > 0) {
        Q_EMIT dataChanged(index(0), index(rowCount() - 1), {Qt::DisplayRole});
    }
}

int CopyTextModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() || !m_history) {
        return 0;
    }
    return int(std::min<std::size_t>(m_history->pieceCount(), std::size_t(std::numeric_limits<int>::max())));
}

QVariant CopyTextModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !m_history || !index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    return pieceHtml(m_history->piece(std::size_t(index.row())), m_showMarks);
}

QString CopyTextModel::pieceHtml(const RemovalHistory::Piece& piece, bool showMarks)
{
    QString html;
    const auto& characters = piece.characters;
    std::size_t i = 0;
    while (i < characters.size()) {
        const Character& first = characters[i];
        QString text;
        std::size_t j = i;
        for (; j < characters.size() && sameLook(characters[j], first); ++j) {
            text += characterHtml(characters[j], showMarks);
        }
        if (first.bold) {
            text = QStringLiteral("<b>") + text + QStringLiteral("</b>");
        }
        if (first.italic) {
            text = QStringLiteral("<i>") + text + QStringLiteral("</i>");
        }
        if (first.underline) {
            text = QStringLiteral("<u>") + text + QStringLiteral("</u>");
        }
        if (first.removed && !text.isEmpty()) {
            text = QStringLiteral("<s style=\"color:#b00000;background:#fde8e8\">") + text + QStringLiteral("</s>");
        }
        html += text;
        i = j;
    }
    return html.isEmpty() ? QStringLiteral("&nbsp;") : html;
}

} // namespace quillsift::docx
