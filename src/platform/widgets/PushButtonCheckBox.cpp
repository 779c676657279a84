// SPDX-License-Identifier: GPL-3.0-or-later
#include "PushButtonCheckBox.h"

#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace quillsift::platform {

PushButtonCheckBox::PushButtonCheckBox(QWidget* parent)
    : QAbstractButton(parent)
{
    setCheckable(true);
    setFocusPolicy(Qt::StrongFocus);
    setAutoFillBackground(true);
}

int PushButtonCheckBox::value() const
{
    return isChecked() ? 1 : 0;
}

void PushButtonCheckBox::setValue(int value)
{
    setChecked(value == 1);
}

QSize PushButtonCheckBox::sizeHint() const
{
    return QSize(150, 70);
}

void PushButtonCheckBox::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    option.initFrom(this);
    option.features = QStyleOptionButton::None;
    if (isDown() || isChecked()) {
        option.state |= QStyle::State_Sunken;
    } else {
        option.state |= QStyle::State_Raised;
    }
    painter.fillRect(rect(), palette().button());
    painter.drawControl(QStyle::CE_PushButtonBevel, option);

    const int shift = (isDown() || isChecked()) ? 1 : 0;
    const QRect inner = rect().adjusted(3 + shift, 3 + shift, -3 + shift, -1 + shift);
    int textTop = inner.top();
    if (!icon().isNull()) {
        const QSize size = iconSize();
        const QPixmap pixmap = icon().pixmap(size, isEnabled() ? QIcon::Normal : QIcon::Disabled);
        const int left = inner.left() + (inner.width() - size.width()) / 2;
        painter.drawPixmap(QRect(QPoint(left, inner.top()), size), pixmap);
        textTop += size.height();
    }
    const QRect textRect(inner.left(), textTop, inner.width(), inner.bottom() - textTop);
    painter.setPen(palette().color(QPalette::ButtonText));
    const int flags = Qt::AlignHCenter | (icon().isNull() ? Qt::AlignVCenter : Qt::AlignTop) | Qt::TextWordWrap;
    painter.drawText(icon().isNull() ? inner : textRect, flags, text());

    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect().adjusted(3, 3, -3, -3);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}

} // namespace quillsift::platform
