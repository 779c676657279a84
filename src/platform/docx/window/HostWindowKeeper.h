// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/docx/DocxApplication.h"

#include <memory>

namespace quillsift::platform {
class FolderBrowser;
class MessageBox;
class SaveFileDialog;
} // namespace quillsift::platform

namespace quillsift::docx {

class HostWindow;

/// The one host window of a program: made the first time an application is made visible, then
/// shown again with each later application's documents added to it. Owns the window; lives on
/// the GUI thread, for as long as the host's applications can be made visible.
class HostWindowKeeper
{
  public:
    /// The window asks through these, which outlive the keeper.
    HostWindowKeeper(platform::SaveFileDialog& saveDialog, platform::FolderBrowser& folderBrowser,
                     platform::MessageBox& messageBox);
    ~HostWindowKeeper();
    HostWindowKeeper(const HostWindowKeeper&) = delete;
    HostWindowKeeper& operator=(const HostWindowKeeper&) = delete;

    /// Adds application's documents to the window and shows it.
    void show(const std::shared_ptr<DocxApplication>& application);
    /// What the host's applications call when made visible: show.
    DocxApplication::WindowListener listener();
    /// Whether the window is on screen.
    bool isShowing() const;
    /// The window, once made; null before.
    HostWindow* window() const
    {
        return m_window.get();
    }

  private:
    platform::SaveFileDialog& m_saveDialog;
    platform::FolderBrowser& m_folderBrowser;
    platform::MessageBox& m_messageBox;
    std::unique_ptr<HostWindow> m_window;
};

} // namespace quillsift::docx
