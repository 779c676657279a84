// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/Application.h"

#include <QString>

#include <vector>

namespace quillsift::libreoffice {

/// Hands out LibreOffice host applications: each new one starts an soffice of its own, headless
/// and with a private profile, ended when the application goes. The pre-flight check attaches to
/// an soffice that accepts connections on the known pipe.
class LoHostProvider : public engine::HostProvider
{
  public:
    struct Options {
        /// The soffice program; empty for $QUILLSIFT_SOFFICE, else soffice on the PATH.
        QString program;
        /// How long soffice may take to start; $QUILLSIFT_LO_START_SECONDS changes the default.
        int timeoutMilliseconds = 30000;
        /// The pipe a running LibreOffice is looked for on; empty for $QUILLSIFT_LO_PIPE, else "quillsift".
        QString pipeName;
    };

    LoHostProvider();
    explicit LoHostProvider(Options options);

    /// The process groups of the soffices started here that are still running: none once every
    /// application has gone.
    static std::vector<qint64> startedProcessGroups();

    std::shared_ptr<engine::Application> runningApplication() override;
    /// Throws HostError when LibreOffice is missing or does not start in time.
    std::shared_ptr<engine::Application> newApplication() override;
    QString runningWarning() const override;

  private:
    Options m_options;
};

} // namespace quillsift::libreoffice
