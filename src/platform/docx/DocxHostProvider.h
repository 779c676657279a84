// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

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
    std::shared_ptr<engine::Application> runningApplication() override;
    std::shared_ptr<engine::Application> newApplication() override;

  private:
    QMutex m_mutex;
    std::vector<std::weak_ptr<DocxApplication>> m_applications;
};

} // namespace quillsift::docx
