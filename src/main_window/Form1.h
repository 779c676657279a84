// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "RunHost.h"
#include "engine/RunDriver.h"
#include "platform/Services.h"

#include <QCursor>
#include <QWidget>

#include <memory>
#include <optional>

class QProgressBar;
class QPushButton;
class QRadioButton;

namespace quillsift::platform {
class ListView;
class PushButtonCheckBox;
} // namespace quillsift::platform

namespace quillsift::file_list {
class FileList;
}

namespace quillsift::engine {
class HostProvider;
}

namespace quillsift::main_window {

/// The program's one window: the file list, the two modes, the four commands, a white strip and
/// an invisible focus holder. Closing it ends the program. It owns its controls, the file list and
/// the host its runs use; it touches the platform only through the services it is given, and
/// hands its commands the ones they use.
class Form1 : public QWidget, public engine::RunWindow
{
    Q_OBJECT

  public:
    /// Builds the window and runs its start-up sequence; the caller shows it. Runs use host. The
    /// window uses every service but the save dialog (which is the host window's); they must be
    /// set, and outlive the window.
    explicit Form1(RunHost host, platform::Services services, QWidget* parent = nullptr);
    ~Form1() override;

    file_list::FileList& fileList();
    // RunWindow
    QWidget* owner() override;
    int entryCount() const override;
    QString entryText(int index) const override;
    /// Line mode is selected ("Remove Duplicate Lines").
    bool lineMode() const override;

    // WindowState
    int mousePointer() const override;
    void setMousePointer(int kind) override;
    bool busy() const override;
    void setBusy(bool busy) override;

    // RunWindow, through the message boxes and the process of the services
    void inform(const QString& text) override;
    bool confirm(const QString& question) override;
    void yield() override;

    /// The window's custom pointer image (the hand), when one was loaded.
    const std::optional<QCursor>& mouseIcon() const
    {
        return m_mouseIcon;
    }

    // Command handlers.
    void Check1_Click();
    void Check2_Click();
    void Check3_Click();
    void Check4_Click();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void createControls();
    void Form_Load();
    void setUpColumns();
    /// The push-button convention: true when the press is to act, after popping the button up.
    static bool takePress(platform::PushButtonCheckBox& button);
    void hoverOn();
    void resetWindowPointer();

    platform::ListView* ListView1 = nullptr;
    QRadioButton* Option1 = nullptr;
    QRadioButton* Option2 = nullptr;
    platform::PushButtonCheckBox* Check1 = nullptr;
    platform::PushButtonCheckBox* Check4 = nullptr;
    platform::PushButtonCheckBox* Check2 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    platform::PushButtonCheckBox* Check3 = nullptr;
    QPushButton* Command1 = nullptr;

    RunHost m_host;
    platform::Services m_services;
    std::unique_ptr<file_list::FileList> m_fileList;
    std::optional<QCursor> m_mouseIcon;
    int m_mousePointer = platform::pointer::Default;
    bool m_busy = false;
};

} // namespace quillsift::main_window
