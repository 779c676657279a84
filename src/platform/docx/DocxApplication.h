// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/ProcessorShare.h"

#include <functional>
#include <memory>

#include "DocxDocuments.h"

#include "engine/Application.h"

namespace quillsift::docx {

/// The application object of the in-process host. Each one owns its documents and shares
/// nothing mutable with any other, so separate threads can each drive their own.
class DocxApplication : public engine::Application, public std::enable_shared_from_this<DocxApplication>
{
  public:
    /// Its documents work in parallel on the processors processors lends, if any.
    explicit DocxApplication(platform::ProcessorShare* processors = nullptr);

    static QString applicationName();

    QString name() const override;
    engine::Documents& documents() override;
    DocxDocuments& docxDocuments();
    /// Records the wish and tells the window listener, if one is installed: the window that shows
    /// the documents lives with the GUI.
    void setVisible(bool visible) override;

    /// What a desktop program installs once, on its main thread, to show an application's
    /// documents when the application is made visible.
    using WindowListener = std::function<void(const std::shared_ptr<DocxApplication>&)>;
    static void setWindowListener(WindowListener listener);
    bool visible() const override;

  private:
    DocxDocuments m_documents;
    bool m_visible = false;
};

} // namespace quillsift::docx
