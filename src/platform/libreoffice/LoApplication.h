// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/Application.h"

#include <memory>

namespace quillsift::libreoffice {

class LoDocuments;
class LoOffice;

/// LibreOffice as a document host: one soffice, its Writer documents, and showing the cleaned
/// copies in LibreOffice Writer's own windows at the end of a run.
class LoApplication : public engine::Application
{
  public:
    explicit LoApplication(std::shared_ptr<LoOffice> office);
    ~LoApplication() override;
    LoApplication(const LoApplication&) = delete;
    LoApplication& operator=(const LoApplication&) = delete;

    /// "LibreOffice", what the pre-flight check compares.
    static QString applicationName();

    QString name() const override;
    engine::Documents& documents() override;
    /// Shows the new documents still open in LibreOffice Writer windows, untitled and unsaved.
    /// A headless soffice has no windows: the copies are handed to the desktop's LibreOffice,
    /// each as a new document made from a private copy of it, in a folder of the temporary
    /// folder named copiesFolderPrefix and six more characters.
    void setVisible(bool visible) override;
    bool visible() const override;

    static inline const QString copiesFolderPrefix = QStringLiteral("quillsift-copies-");

  private:
    static void removeOldCopies();
    std::shared_ptr<LoOffice> m_office;
    std::unique_ptr<LoDocuments> m_documents;
    bool m_visible = false;
};

} // namespace quillsift::libreoffice
