// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileList.h"

#include "platform/WindowState.h"
#include "platform/widgets/ListView.h"
#include "platform/widgets/Pointer.h"

#include <QPoint>

namespace quillsift::file_list {

FileList::FileList(platform::ListView& view, platform::WindowState& window, QObject* parent)
    : QObject(parent)
    , m_view(view)
    , m_window(window)
{
    connect(&m_view, &platform::ListView::itemClick, this, &FileList::ListView1_ItemClick);
    connect(&m_view, &platform::ListView::mouseDown, this, [this] { ListView1_MouseDown(); });
    connect(&m_view, &platform::ListView::mouseMove, this,
            [this](Qt::MouseButtons, const QPoint& position) { ListView1_MouseMove(position); });
    connect(&m_view, &platform::ListView::mouseUp, this, [this] { ListView1_MouseUp(); });
    connect(&m_view, &platform::ListView::dblClick, this, &FileList::ListView1_DblClick);
    connect(&m_view, &platform::ListView::filesDropped, this, &FileList::ListView1_OLEDragDrop);
}

void FileList::append(const QString& path)
{
    m_view.add(path);
}

int FileList::count() const
{
    return m_view.count();
}

QString FileList::text(int index) const
{
    return m_view.text(index);
}

void FileList::setProgramFolder(const QString& folder)
{
    m_programFolder = folder;
}

void FileList::ListView1_ItemClick(int index)
{
    if (const auto icon = platform::loadPointerImage(m_programFolder + QStringLiteral("/drag.ico"))) {
        m_view.setMouseIcon(icon);
    }
    m_view.setMousePointer(platform::pointer::Custom);
    // The list takes no drops while an entry is being dragged; the release gives them back.
    m_view.setAcceptsFileDrops(false);
    const int selected = m_view.selectedIndex();
    m_dragged = selected > 0 ? selected : index;
}

void FileList::ListView1_MouseDown()
{
    m_pressed = true;
}

void FileList::ListView1_MouseMove(const QPoint& position)
{
    if (m_window.mousePointer() != platform::pointer::Hourglass) {
        m_window.setMousePointer(platform::pointer::Default);
    }
    if (!m_pressed) {
        return;
    }
    const int target = m_view.hitTest(position);
    if (target == 0 || m_dragged == 0) {
        return;
    }
    const QString kept = m_view.text(m_dragged);
    const QString targetText = m_view.text(target);
    if (targetText == kept) {
        return;
    }
    // An exchange of texts, not a move: entries passed over on the way stay where they are.
    m_view.setText(m_dragged, targetText);
    m_view.setText(target, kept);
    m_view.select(target);
    m_dragged = target;
    scrollNearEdge(target, position);
}

void FileList::scrollNearEdge(int target, const QPoint& position)
{
    // Near the top or bottom quarter of the visible rows, bring the neighbour into view so the
    // drag can go on past the edge of what is shown.
    const int height = m_view.viewport()->height();
    if (height <= 0) {
        return;
    }
    if (position.y() < height / 4) {
        if (target >= 2) {
            m_view.ensureVisible(target - 1);
        }
    } else if (position.y() >= height - height / 4) {
        if (target + 1 <= m_view.count()) {
            m_view.ensureVisible(target + 1);
        }
    }
}

void FileList::ListView1_MouseUp()
{
    m_pressed = false;
    m_view.setMousePointer(platform::pointer::Arrow);
    m_view.setAcceptsFileDrops(true);
}

void FileList::ListView1_DblClick()
{
    const int selected = m_view.selectedIndex();
    if (selected > 0) {
        removeEntry(selected);
    }
}

void FileList::removeEntry(int index)
{
    m_view.remove(index);
    if (m_dragged == index) {
        m_dragged = 0;
    } else if (m_dragged > index) {
        --m_dragged;
    }
}

void FileList::ListView1_OLEDragDrop(const QStringList& paths)
{
    const qsizetype count = paths.size();
    for (qsizetype i = 0; i < count; ++i) {
        append(paths.at(i));
    }
}

} // namespace quillsift::file_list
