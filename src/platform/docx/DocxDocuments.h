// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/ProcessorShare.h"

#include "DocxDocument.h"

#include "engine/Documents.h"

#include <memory>
#include <vector>

namespace quillsift::docx {

/// The open documents of one in-process host application.
class DocxDocuments : public engine::Documents
{
  public:
    /// Its stories work in parallel on the processors processors lends, if any.
    explicit DocxDocuments(platform::ProcessorShare* processors = nullptr);

    /// Word packages, plain text, and (through LibreOffice) .doc, .rtf and .odt.
    std::shared_ptr<engine::Document> open(const QString& fileName) override;
    std::shared_ptr<engine::Document> add() override;
    qint64 count() const override;

    /// The open documents in the order they were opened or added, for the host window.
    std::vector<std::shared_ptr<DocxDocument>> list() const;

  private:
    using List = std::vector<std::shared_ptr<DocxDocument>>;
    std::shared_ptr<DocxDocument> keep(std::shared_ptr<DocxDocument> document);

    std::shared_ptr<List> m_open;
    int m_untitled = 0;
    platform::ProcessorShare* m_processors = nullptr;
};

} // namespace quillsift::docx
