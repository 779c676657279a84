// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/MemoryBudget.h"
#include "platform/ProcessorShare.h"

#include "DocxDocument.h"

#include "engine/Documents.h"

#include <atomic>
#include <memory>
#include <vector>

namespace quillsift::docx {

/// The open documents of one in-process host application.
class DocxDocuments : public engine::Documents
{
  public:
    /// The count behind the untitled names, which the applications of one host share, so that
    /// a later run's copies go on from "Document3" rather than start at "Document1" again.
    using UntitledCount = std::atomic<int>;

    /// Its stories work in parallel on the processors processors lends, if any; new documents
    /// are numbered from names (a count of its own when null). A file that would take more
    /// memory to open than memory says is left is refused. record says whether the documents
    /// keep a record of what their deletions took out.
    explicit DocxDocuments(platform::ProcessorShare* processors = nullptr,
                           std::shared_ptr<UntitledCount> names = nullptr,
                           const platform::MemoryBudget& memory = platform::systemMemory(),
                           DeletionRecord record = DeletionRecord::Kept);

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
    std::shared_ptr<UntitledCount> m_untitled;
    platform::ProcessorShare* m_processors = nullptr;
    const platform::MemoryBudget& m_memory;
    DeletionRecord m_record;
};

} // namespace quillsift::docx
