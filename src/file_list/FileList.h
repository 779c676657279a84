// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

class QPoint;

namespace quillsift::platform {
class ListView;
class WindowState;
} // namespace quillsift::platform

namespace quillsift::file_list {

/// The ordered list of documents for the next run, shown in the list view, with the gestures
/// that fill, reorder and thin it: append, drop, drag to reorder, double click to remove.
class FileList : public QObject
{
    Q_OBJECT

  public:
    /// Takes over the list view's events; the view and the window outlive the list.
    FileList(platform::ListView& view, platform::WindowState& window, QObject* parent = nullptr);

    /// Adds a new last entry; nothing about the path is tested.
    void append(const QString& path);
    int count() const;
    /// The text of entry index, counted from 1.
    QString text(int index) const;

    /// The folder whose "drag.ico" is the pointer while an entry is dragged.
    void setProgramFolder(const QString& folder);

    /// The entry being dragged, or 0: never an entry that has been removed.
    int draggedEntry() const
    {
        return m_dragged;
    }
    bool pressFlag() const
    {
        return m_pressed;
    }

    // The list view's events.
    void ListView1_ItemClick(int index);
    void ListView1_MouseDown();
    void ListView1_MouseMove(const QPoint& position);
    void ListView1_MouseUp();
    void ListView1_DblClick();
    void ListView1_OLEDragDrop(const QStringList& paths);

  private:
    void removeEntry(int index);
    void scrollNearEdge(int target, const QPoint& position);

    platform::ListView& m_view;
    platform::WindowState& m_window;
    QString m_programFolder;
    bool m_pressed = false;
    int m_dragged = 0;
};

} // namespace quillsift::file_list
