// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DocxDocuments.h"

#include "engine/Application.h"

namespace quillsift::docx {

/// The application object of the in-process host. Each one owns its documents and shares
/// nothing mutable with any other, so separate threads can each drive their own.
class DocxApplication : public engine::Application
{
  public:
    static QString applicationName();

    QString name() const override;
    engine::Documents& documents() override;
    DocxDocuments& docxDocuments();
    /// Records the wish; the window that shows the documents lives with the GUI.
    void setVisible(bool visible) override;
    bool visible() const override;

  private:
    DocxDocuments m_documents;
    bool m_visible = false;
};

} // namespace quillsift::docx
