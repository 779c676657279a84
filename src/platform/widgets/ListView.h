// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCursor>
#include <QStringList>
#include <QTreeWidget>

#include <optional>

namespace quillsift::platform {

/// A list view in report view, addressed the way the common-controls list view is: entries by
/// position from 1, a column set-up in twips, the mouse and drop events reported as they happen.
/// It keeps no logic of its own beyond drawing; the file list gives the events their meaning.
class ListView : public QTreeWidget
{
    Q_OBJECT

  public:
    explicit ListView(QWidget* parent = nullptr);

    /// Columns (ColumnHeaders.Add, .Width, .Remove), counted from 1.
    void addColumn(const QString& text);
    void setColumnWidthTwips(int column, int twips);
    void removeColumn(int column);
    int columnWidthTwips(int column) const;

    /// Entries (ListItems.Add, .Count, .Remove, (i).Text), counted from 1.
    void add(const QString& text);
    int count() const;
    QString text(int index) const;
    void setText(int index, const QString& text);
    void remove(int index);

    /// The selected entry's position, or 0 when none is selected.
    int selectedIndex() const;
    void select(int index);
    void ensureVisible(int index);
    /// The entry under a point of the list's viewport, or 0.
    int hitTest(const QPoint& viewportPosition) const;
    /// How many rows of entries the viewport shows.
    int visibleRowCount() const;

    /// The list's own pointer setting: 0 uses the window's pointer, 1 the arrow, 99 the custom image.
    void setMousePointer(int kind);
    int mousePointer() const;
    void setMouseIcon(const std::optional<QCursor>& icon);

    /// Whether dropped files are taken (OLEDropMode manual or none).
    void setAcceptsFileDrops(bool accept);
    bool acceptsFileDrops() const;

  Q_SIGNALS:
    void itemClick(int index);
    void mouseDown(Qt::MouseButton button, const QPoint& position);
    void mouseMove(Qt::MouseButtons buttons, const QPoint& position);
    void mouseUp(Qt::MouseButton button, const QPoint& position);
    void dblClick();
    /// Local files and folders dropped on the list, in the order the drag listed them.
    void filesDropped(const QStringList& paths);

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    bool offersFiles(const QMimeData* mime) const;
    void applyPointer();

    int m_mousePointer = 0;
    std::optional<QCursor> m_mouseIcon;
    bool m_acceptsFileDrops = true;
};

/// The local paths a drag carries, or an empty list when it carries anything that is not a local file.
QStringList localPathsOf(const QMimeData* mime);

} // namespace quillsift::platform
