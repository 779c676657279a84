// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/ProcessorShare.h"

#include <functional>
#include <memory>

#include "DocxDocuments.h"

#include "engine/Application.h"

namespace quillsift::docx {

/// The application object of the in-process host. Each one owns its documents; what it shares
/// with the other applications of its provider (the count behind "Document1", "Document2", ...)
/// is safe to share between threads, so separate threads can each drive their own.
class DocxApplication : public engine::Application, public std::enable_shared_from_this<DocxApplication>
{
  public:
    /// What a desktop program gives its applications, to show an application's documents when
    /// the application is made visible; called on the thread that makes it visible.
    using WindowListener = std::function<void(const std::shared_ptr<DocxApplication>&)>;

    /// Its documents work in parallel on the processors processors lends, if any, and take their
    /// untitled names from names (its own count when null). windowListener, if set, is told when
    /// the application is made visible. record says whether its documents keep a record of what
    /// their deletions took out.
    explicit DocxApplication(platform::ProcessorShare* processors = nullptr,
                             std::shared_ptr<DocxDocuments::UntitledCount> names = nullptr,
                             WindowListener windowListener = {}, DeletionRecord record = DeletionRecord::Kept);

    static QString applicationName();

    QString name() const override;
    engine::Documents& documents() override;
    DocxDocuments& docxDocuments();
    /// Records the wish and tells the window listener, if there is one: the window that shows
    /// the documents lives with the GUI.
    void setVisible(bool visible) override;
    bool visible() const override;

  private:
    DocxDocuments m_documents;
    WindowListener m_windowListener;
    bool m_visible = false;
};

} // namespace quillsift::docx
