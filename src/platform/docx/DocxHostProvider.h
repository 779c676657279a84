// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/ProcessorShare.h"

#include "DocxApplication.h"

#include "engine/Application.h"

#include <QMutex>

#include <memory>
#include <vector>

namespace quillsift::docx {

/// Hands out in-process host applications, which number their new documents on from one
/// another's. An application counts as running while it still holds documents (from an earlier
/// run), which is what the pre-flight check asks about.
class DocxHostProvider : public engine::HostProvider
{
  public:
    /// Its applications work in parallel on the processors processors lends; without a share,
    /// each document works on the thread that drives it alone. windowListener, if set, is told
    /// when one of them is made visible. record says whether their documents keep a record of
    /// what their deletions took out: the host window shows it and a save with tracked changes
    /// needs it.
    explicit DocxHostProvider(platform::ProcessorShare* processors = nullptr,
                              DocxApplication::WindowListener windowListener = {},
                              DeletionRecord record = DeletionRecord::Kept);

    std::shared_ptr<engine::Application> runningApplication() override;
    std::shared_ptr<engine::Application> newApplication() override;
    /// Running means an earlier run's copies are still open in the host's window.
    QString runningWarning() const override;
    bool drivesFromAnyThread() const override
    {
        return true;
    }

  private:
    platform::ProcessorShare* m_processors = nullptr;
    DocxApplication::WindowListener m_windowListener;
    DeletionRecord m_record;
    std::shared_ptr<DocxDocuments::UntitledCount> m_names = std::make_shared<DocxDocuments::UntitledCount>(0);
    QMutex m_mutex;
    std::vector<std::weak_ptr<DocxApplication>> m_applications;
};

} // namespace quillsift::docx
