// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/Document.h"

#include <com/sun/star/text/XTextDocument.hpp>

#include <memory>

namespace quillsift::libreoffice {

class LoOffice;
class LoStory;

/// A Writer document open in LibreOffice, hidden while a run works on it.
class LoDocument : public engine::Document
{
  public:
    /// Reads the document's body. Throws HostError naming fullName (or name for a new document).
    LoDocument(std::shared_ptr<LoOffice> office, css::uno::Reference<css::text::XTextDocument> document, QString name,
               QString fullName);
    ~LoDocument() override;
    LoDocument(const LoDocument&) = delete;
    LoDocument& operator=(const LoDocument&) = delete;

    QString name() const override;
    QString fullName() const override;
    std::unique_ptr<engine::Range> content() override;
    std::unique_ptr<engine::Range> range() override;
    /// Closes the document in LibreOffice without saving it.
    void close() override;
    /// Stores a copy in the format the name's extension asks for (.docx when it asks for none
    /// Writer knows); the document itself stays open and untitled.
    void saveAs(const QString& path) override;
    bool saved() const override;

    bool isClosed() const;
    const css::uno::Reference<css::text::XTextDocument>& textDocument() const;

  private:
    std::shared_ptr<LoOffice> m_office;
    std::shared_ptr<LoStory> m_story;
    QString m_name;
    QString m_fullName;
};

} // namespace quillsift::libreoffice
