// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStyledItemDelegate>

class QAbstractItemView;

namespace quillsift::docx {

/// Draws a row whose text is HTML, wrapped to the width of the view it serves, and measures it
/// for that width. Lays out one row at a time; owns nothing, reads the view's width.
class HtmlItemDelegate : public QStyledItemDelegate
{
    Q_OBJECT

  public:
    explicit HtmlItemDelegate(QAbstractItemView* view);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

  private:
    int textWidth() const;

    QAbstractItemView* m_view;
};

} // namespace quillsift::docx
