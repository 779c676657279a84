// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/ProcessorShare.h"

#include "DocxApplication.h"

#include "engine/Application.h"

#include <QMutex>

#include <memory>
#include <vector>

namespace quillsift::docx {

/// Hands out in-process host applications. An application counts as running while it still
/// holds documents (from an earlier run), which is what the pre-flight check asks about.
class DocxHostProvider : public engine::HostProvider
{
  public:
    /// Its applications work in parallel on the processors processors lends; without a share,
    /// each document works on the thread that drives it alone.
    explicit DocxHostProvider(platform::ProcessorShare* processors = nullptr);

    std::shared_ptr<engine::Application> runningApplication() override;
    std::shared_ptr<engine::Application> newApplication() override;
    /// Running means an earlier run's copies are still open in the host's window.
    QString runningWarning() const override;

  private:
    platform::ProcessorShare* m_processors = nullptr;
    QMutex m_mutex;
    std::vector<std::weak_ptr<DocxApplication>> m_applications;
};

} // namespace quillsift::docx
