// SPDX-License-Identifier: GPL-3.0-or-later
#include "HostWindowKeeper.h"

#include "HostWindow.h"

#include <QGuiApplication>
#include <QScreen>

namespace quillsift::docx {

HostWindowKeeper::HostWindowKeeper(platform::SaveFileDialog& saveDialog, platform::FolderBrowser& folderBrowser,
                                   platform::MessageBox& messageBox)
    : m_saveDialog(saveDialog)
    , m_folderBrowser(folderBrowser)
    , m_messageBox(messageBox)
{
}

HostWindowKeeper::~HostWindowKeeper() = default;

void HostWindowKeeper::show(const std::shared_ptr<DocxApplication>& application)
{
    const bool made = !m_window;
    if (made) {
        m_window = std::make_unique<HostWindow>(m_saveDialog, m_folderBrowser, m_messageBox);
    }
    m_window->addApplication(application);
    if (!m_window->isVisible()) {
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            m_window->move(screen->availableGeometry().center() - m_window->rect().center());
        }
    }
    m_window->show();
    m_window->raise();
}

DocxApplication::WindowListener HostWindowKeeper::listener()
{
    return [this](const std::shared_ptr<DocxApplication>& application) { show(application); };
}

bool HostWindowKeeper::isShowing() const
{
    return m_window && m_window->isVisible();
}

} // namespace quillsift::docx
