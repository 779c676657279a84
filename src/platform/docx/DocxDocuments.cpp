// SPDX-License-Identifier: GPL-3.0-or-later
#include "DocxDocuments.h"

#include "DocumentLoader.h"
#include "PlainText.h"

#include "engine/HostError.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace quillsift::docx {

DocxDocuments::DocxDocuments(platform::ProcessorShare* processors, std::shared_ptr<UntitledCount> names,
                             const platform::MemoryBudget& memory, DeletionRecord record)
    : m_open(std::make_shared<List>())
    , m_untitled(names ? std::move(names) : std::make_shared<UntitledCount>(0))
    , m_processors(processors)
    , m_memory(memory)
    , m_record(record)
{
}

std::shared_ptr<DocxDocument> DocxDocuments::keep(std::shared_ptr<DocxDocument> document)
{
    m_open->push_back(document);
    return document;
}

std::shared_ptr<engine::Document> DocxDocuments::open(const QString& fileName)
{
    // By string alone: a name that is not UTF-8 would not survive a trip through the system's encoding.
    const QString fullName =
        QDir::cleanPath(QDir::isAbsolutePath(fileName) ? fileName : QDir::currentPath() + QLatin1Char('/') + fileName);
    DocumentLoader::Loaded loaded = DocumentLoader::load(fullName, m_memory);
    std::shared_ptr<DocxStory> story;
    try {
        story = std::make_shared<DocxStory>(fullName, std::move(loaded.package), m_processors, std::move(loaded.source),
                                            m_record);
    } catch (const std::bad_alloc&) {
        throw engine::HostError(fullName, QStringLiteral("there is not enough memory to open it"));
    }
    story->setPlainText(loaded.plainText);
    std::weak_ptr<List> list = m_open;
    return keep(std::make_shared<DocxDocument>(
        fullName.section(QLatin1Char('/'), -1), fullName, std::move(story), [list](DocxDocument* closed) {
            if (auto open = list.lock()) {
                std::erase_if(*open, [closed](const auto& document) { return document.get() == closed; });
            }
        }));
}

std::shared_ptr<engine::Document> DocxDocuments::add()
{
    const QString name = QStringLiteral("Document%1").arg(++*m_untitled);
    auto story = std::make_shared<DocxStory>(name, PlainText::emptyPackage(), m_processors, SourcePackage(), m_record);
    std::weak_ptr<List> list = m_open;
    return keep(std::make_shared<DocxDocument>(name, QString(), std::move(story), [list](DocxDocument* closed) {
        if (auto open = list.lock()) {
            std::erase_if(*open, [closed](const auto& document) { return document.get() == closed; });
        }
    }));
}

qint64 DocxDocuments::count() const
{
    return qint64(m_open->size());
}

std::vector<std::shared_ptr<DocxDocument>> DocxDocuments::list() const
{
    return *m_open;
}

} // namespace quillsift::docx
