// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractButton>

namespace quillsift::platform {

/// A check box in graphical style: drawn as a push button with its picture centred above a
/// caption that wraps, pushed in while its value is 1. A press (click, or Space while focused)
/// turns the value from 0 to 1 and raises clicked(); the handler sets it back to 0.
class PushButtonCheckBox : public QAbstractButton
{
    Q_OBJECT

  public:
    explicit PushButtonCheckBox(QWidget* parent = nullptr);

    /// 0 (raised) or 1 (pushed in).
    int value() const;
    void setValue(int value);

    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace quillsift::platform
