// SPDX-License-Identifier: GPL-3.0-or-later
#include "Pointer.h"

#include <QFile>
#include <QImageReader>
#include <QPixmap>
#include <QtEndian>

namespace quillsift::platform {

namespace {
// A .cur file is an .ico file whose directory entries hold the hot spot where an icon keeps its
// planes and bit count: header (reserved, type 2, count), then 16-byte entries.
std::optional<QPoint> cursorHotSpot(const QByteArray& bytes)
{
    if (bytes.size() < 6 + 16) {
        return std::nullopt;
    }
    const auto* data = reinterpret_cast<const uchar*>(bytes.constData());
    if (qFromLittleEndian<quint16>(data) != 0 || qFromLittleEndian<quint16>(data + 2) != 2) {
        return std::nullopt;
    }
    return QPoint(qFromLittleEndian<quint16>(data + 6 + 4), qFromLittleEndian<quint16>(data + 6 + 6));
}
} // namespace

std::optional<QCursor> loadPointerImage(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    const QByteArray bytes = file.read(1 << 20);
    QImage image;
    // The ico reader handles both icons and cursors; tell it which, since a cursor's type field
    // differs from an icon's.
    image.loadFromData(bytes, "ICO");
    if (image.isNull()) {
        image.loadFromData(bytes);
    }
    if (image.isNull()) {
        return std::nullopt;
    }
    const QPoint hotSpot = cursorHotSpot(bytes).value_or(QPoint(-1, -1));
    return QCursor(QPixmap::fromImage(image), hotSpot.x(), hotSpot.y());
}

QCursor cursorForKind(int kind, const std::optional<QCursor>& customImage)
{
    switch (kind) {
    case 11:
        return QCursor(Qt::WaitCursor);
    case 99:
        return customImage.value_or(QCursor(Qt::ArrowCursor));
    default:
        return QCursor(Qt::ArrowCursor);
    }
}

} // namespace quillsift::platform
