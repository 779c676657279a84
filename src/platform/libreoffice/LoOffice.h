// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>

#include <QString>
#include <QTemporaryDir>

#include <sys/types.h>

#include <memory>
#include <vector>

namespace quillsift::libreoffice {

/// One LibreOffice process reached over a UNO pipe connection: either an soffice this program
/// started (with a user profile of its own in a private temporary folder, ended when the last user
/// lets go of it) or one already running that listens on a known pipe, which is never ended here.
class LoOffice
{
  public:
    struct StartOptions {
        /// The soffice program; empty to look it up on the PATH.
        QString program;
        /// Without a window system: the run works unseen.
        bool headless = true;
        /// How long soffice may take to answer before the start counts as failed.
        int timeoutMilliseconds = 30000;
    };

    /// Starts a private soffice and connects to it. Throws HostError when LibreOffice is not
    /// installed, exits, or does not answer in time; nothing is left running then.
    static std::shared_ptr<LoOffice> start(const StartOptions& options);
    /// Connects to an soffice that accepts connections on pipeName, or nullptr when none does.
    static std::shared_ptr<LoOffice> attach(const QString& pipeName);

    /// The process groups of the soffices this program started that are still there.
    static std::vector<qint64> startedProcessGroups();

    ~LoOffice();
    LoOffice(const LoOffice&) = delete;
    LoOffice& operator=(const LoOffice&) = delete;

    const css::uno::Reference<css::uno::XComponentContext>& context() const
    {
        return m_context;
    }
    const css::uno::Reference<css::frame::XDesktop2>& desktop() const
    {
        return m_desktop;
    }
    /// Whether this program started the soffice and so ends it.
    bool owned() const
    {
        return m_pid > 0;
    }
    bool headless() const
    {
        return m_headless;
    }
    /// Starts a new soffice in place of one of ours that has died, or that stopped answering
    /// when connectionLost; false when there was no need. Throws HostError as start() does.
    bool recoverIfGone(bool connectionLost = false);
    /// Leaves a started soffice running when this object goes: its windows now belong to the user.
    void release();
    /// The pipe a started soffice accepts on and the URL of its profile (empty for one attached
    /// to): with them, OfficeSockets knows what it leaves behind.
    const QString& pipeName() const
    {
        return m_pipeName;
    }
    const QString& profileUrl() const
    {
        return m_profileUrl;
    }

  private:
    LoOffice() = default;
    void launch();
    void shutdown() noexcept;
    /// The soffice this object started has ended and been reaped: it is forgotten, and the
    /// sockets it left are removed.
    void ended() noexcept;

    css::uno::Reference<css::uno::XComponentContext> m_context;
    css::uno::Reference<css::frame::XDesktop2> m_desktop;
    StartOptions m_options;
    std::unique_ptr<QTemporaryDir> m_profile;
    QString m_pipeName;
    QString m_profileUrl;
    pid_t m_pid = -1;
    bool m_headless = true;
};

} // namespace quillsift::libreoffice
