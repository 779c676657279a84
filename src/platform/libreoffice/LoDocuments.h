// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/Documents.h"

#include <QMutex>

#include <memory>
#include <vector>

namespace quillsift::libreoffice {

class LoDocument;
class LoOffice;

/// The documents one LibreOffice application has open: sources opened hidden and read-only, and
/// new Writer documents.
class LoDocuments : public engine::Documents
{
  public:
    explicit LoDocuments(std::shared_ptr<LoOffice> office);
    ~LoDocuments() override;

    std::shared_ptr<engine::Document> open(const QString& fileName) override;
    std::shared_ptr<engine::Document> add() override;
    qint64 count() const override;

    /// The documents still open, in the order they were opened or made.
    std::vector<std::shared_ptr<LoDocument>> openDocuments() const;

  private:
    std::shared_ptr<LoOffice> m_office;
    mutable QMutex m_mutex;
    std::vector<std::shared_ptr<LoDocument>> m_documents;
    int m_added = 0;
};

} // namespace quillsift::libreoffice
