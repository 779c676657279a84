// SPDX-License-Identifier: GPL-3.0-or-later
#include "ListView.h"

#include "Twips.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QUrl>

namespace quillsift::platform {

ListView::ListView(QWidget* parent)
    : QTreeWidget(parent)
{
    setColumnCount(0);
    setHeaderHidden(false);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSortingEnabled(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(false);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);
    setMouseTracking(true);
    viewport()->setMouseTracking(true);
    header()->setStretchLastSection(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

void ListView::addColumn(const QString& text)
{
    const int column = columnCount();
    setColumnCount(column + 1);
    headerItem()->setText(column, text);
}

void ListView::setColumnWidthTwips(int column, int twips)
{
    setColumnWidth(column - 1, twipsToPixels(twips));
}

void ListView::removeColumn(int column)
{
    // Later columns move down one place, as the control's own Remove does.
    const int count = columnCount();
    for (int c = column - 1; c + 1 < count; ++c) {
        headerItem()->setText(c, headerItem()->text(c + 1));
        setColumnWidth(c, columnWidth(c + 1));
    }
    setColumnCount(count - 1);
}

int ListView::columnWidthTwips(int column) const
{
    return pixelsToTwips(columnWidth(column - 1));
}

void ListView::add(const QString& text)
{
    auto* item = new QTreeWidgetItem(this);
    item->setText(0, text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
}

int ListView::count() const
{
    return topLevelItemCount();
}

QString ListView::text(int index) const
{
    const QTreeWidgetItem* item = topLevelItem(index - 1);
    return item ? item->text(0) : QString();
}

void ListView::setText(int index, const QString& text)
{
    if (QTreeWidgetItem* item = topLevelItem(index - 1)) {
        item->setText(0, text);
    }
}

void ListView::remove(int index)
{
    delete takeTopLevelItem(index - 1);
}

int ListView::selectedIndex() const
{
    const auto items = selectedItems();
    return items.isEmpty() ? 0 : indexOfTopLevelItem(items.first()) + 1;
}

void ListView::select(int index)
{
    if (QTreeWidgetItem* item = topLevelItem(index - 1)) {
        setCurrentItem(item);
        item->setSelected(true);
    }
}

void ListView::ensureVisible(int index)
{
    if (QTreeWidgetItem* item = topLevelItem(index - 1)) {
        scrollToItem(item, QAbstractItemView::EnsureVisible);
    }
}

int ListView::hitTest(const QPoint& viewportPosition) const
{
    const QTreeWidgetItem* item = itemAt(viewportPosition);
    return item ? indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(item)) + 1 : 0;
}

int ListView::visibleRowCount() const
{
    const int row = sizeHintForRow(0);
    return row > 0 ? viewport()->height() / row : 0;
}

void ListView::setMousePointer(int kind)
{
    m_mousePointer = kind;
    applyPointer();
}

int ListView::mousePointer() const
{
    return m_mousePointer;
}

void ListView::setMouseIcon(const std::optional<QCursor>& icon)
{
    m_mouseIcon = icon;
    applyPointer();
}

void ListView::applyPointer()
{
    if (m_mousePointer == 0) {
        viewport()->unsetCursor();
        unsetCursor();
    } else if (m_mousePointer == 99 && m_mouseIcon) {
        viewport()->setCursor(*m_mouseIcon);
    } else {
        viewport()->setCursor(Qt::ArrowCursor);
    }
}

void ListView::setAcceptsFileDrops(bool accept)
{
    m_acceptsFileDrops = accept;
}

bool ListView::acceptsFileDrops() const
{
    return m_acceptsFileDrops;
}

void ListView::mousePressEvent(QMouseEvent* event)
{
    QTreeWidget::mousePressEvent(event);
    const QPoint position = event->position().toPoint();
    const int index = hitTest(position);
    if (index > 0 && event->button() == Qt::LeftButton) {
        select(index);
        Q_EMIT itemClick(index);
    }
    Q_EMIT mouseDown(event->button(), position);
}

void ListView::mouseMoveEvent(QMouseEvent* event)
{
    // The base class would drag the selection along with the pointer; the file list decides
    // what a move does, so the event is only reported.
    Q_EMIT mouseMove(event->buttons(), event->position().toPoint());
}

void ListView::mouseReleaseEvent(QMouseEvent* event)
{
    QTreeWidget::mouseReleaseEvent(event);
    Q_EMIT mouseUp(event->button(), event->position().toPoint());
}

void ListView::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTreeWidget::mouseDoubleClickEvent(event);
    Q_EMIT dblClick();
}

bool ListView::offersFiles(const QMimeData* mime) const
{
    return m_acceptsFileDrops && !localPathsOf(mime).isEmpty();
}

void ListView::dragEnterEvent(QDragEnterEvent* event)
{
    if (offersFiles(event->mimeData())) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void ListView::dragMoveEvent(QDragMoveEvent* event)
{
    if (offersFiles(event->mimeData())) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void ListView::dropEvent(QDropEvent* event)
{
    const QStringList paths = m_acceptsFileDrops ? localPathsOf(event->mimeData()) : QStringList();
    if (paths.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    Q_EMIT filesDropped(paths);
}

QStringList localPathsOf(const QMimeData* mime)
{
    if (!mime || !mime->hasUrls()) {
        return {};
    }
    QStringList paths;
    const auto urls = mime->urls();
    for (const QUrl& url : urls) {
        if (!url.isLocalFile()) {
            return {};
        }
        QString path = QDir::toNativeSeparators(url.toLocalFile());
        // A dropped folder arrives with a trailing separator from some file managers; the shell's
        // list names folders without one.
        while (path.size() > 1 && path.endsWith(QDir::separator())) {
            path.chop(1);
        }
        paths << path;
    }
    return paths;
}

} // namespace quillsift::platform
