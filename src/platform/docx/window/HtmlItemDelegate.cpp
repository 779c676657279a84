// SPDX-License-Identifier: GPL-3.0-or-later
#include "HtmlItemDelegate.h"

#include <QAbstractItemView>
#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QTextDocument>

#include <cmath>

#include <algorithm>

namespace quillsift::docx {

namespace {

constexpr int margin = 4;

void setUp(QTextDocument& document, const QStyleOptionViewItem& option, const QModelIndex& index, int width)
{
    document.setDefaultFont(option.font);
    document.setDocumentMargin(margin);
    document.setHtml(index.data(Qt::DisplayRole).toString());
    document.setTextWidth(width);
}

} // namespace

HtmlItemDelegate::HtmlItemDelegate(QAbstractItemView* view)
    : QStyledItemDelegate(view)
    , m_view(view)
{
}

int HtmlItemDelegate::textWidth() const
{
    return std::max(40, m_view->viewport()->width() - 2);
}

void HtmlItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QTextDocument document;
    setUp(document, option, index, option.rect.width());
    painter->save();
    painter->translate(option.rect.topLeft());
    painter->setClipRect(QRect(QPoint(0, 0), option.rect.size()));
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette = option.palette;
    document.documentLayout()->draw(painter, context);
    painter->restore();
}

QSize HtmlItemDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QTextDocument document;
    const int width = textWidth();
    setUp(document, option, index, width);
    return {width, int(std::ceil(document.size().height()))};
}

} // namespace quillsift::docx
