// SPDX-License-Identifier: GPL-3.0-or-later
#include "DocxStory.h"

#include "BodyLoader.h"
#include "DocxFormattedText.h"

#include "engine/HostError.h"

#include <algorithm>

namespace quillsift::docx {

using engine::HostError;

DocxStory::DocxStory(const QString& fileName, Package package, platform::ProcessorShare* processors,
                     SourcePackage source, DeletionRecord record)
    : m_fileName(fileName)
    , m_processors(processors)
    , m_record(record)
    , m_words(m_paragraphs, m_index, processors)
    , m_navigation(m_index, m_words)
    , m_finder(m_paragraphs, m_index, m_words)
{
    load(std::move(package), std::move(source));
}

DocxStory::~DocxStory() = default;

void DocxStory::replace(Package package)
{
    ensureOpen();
    settleReaders();
    load(std::move(package), {});
    m_modified = true;
    m_ranges.collapseAll();
}

void DocxStory::load(Package package, SourcePackage source)
{
    // A package that cannot be read leaves the story as it was.
    auto main = std::make_unique<MainPart>();
    // Without a way to read the package again, the package as read is kept beside the parsed one:
    // its parts are shared, its main part's bytes are what the deletions are kept against as
    // tracked changes.
    if (m_record == DeletionRecord::NotKept) {
        // Only a save with tracked changes reads it, and that needs the record too.
        source = SourcePackage();
    } else if (source.isEmpty()) {
        source = SourcePackage(package);
    }
    main->load(m_fileName, std::move(package));
    std::vector<Paragraph> paragraphs = BodyLoader(main->names()).load(main->body());
    m_editor.reset();
    m_main = std::move(main);
    m_paragraphs = std::move(paragraphs);
    m_log.clear();
    m_original = std::move(source);
    m_onlyLogged = true;
    std::vector<qint64> lengths;
    lengths.reserve(m_paragraphs.size());
    for (const Paragraph& paragraph : m_paragraphs) {
        lengths.push_back(paragraph.length());
    }
    m_index = text::ParagraphIndex(lengths);
    rewire();
}

void DocxStory::rewire()
{
    m_navigation.reset();
    m_finder.reset();
    m_editor =
        std::make_unique<StoryEditor>(StoryEditor::Parts{m_paragraphs, m_index, m_words, m_navigation, m_finder,
                                                         m_ranges, m_record == DeletionRecord::Kept ? &m_log : nullptr},
                                      m_main->names());
}

void DocxStory::takeContentOf(DocxStory& closed)
{
    ensureOpen();
    if (!closed.isClosed() || !closed.isAsRead() || &closed == this) {
        throw HostError(m_fileName,
                        QStringLiteral("only a closed document's content as it was read can be taken whole"));
    }
    settleReaders();
    std::swap(m_main, closed.m_main);
    std::swap(m_paragraphs, closed.m_paragraphs);
    std::swap(m_index, closed.m_index);
    std::swap(m_log, closed.m_log);
    std::swap(m_original, closed.m_original);
    std::swap(m_onlyLogged, closed.m_onlyLogged);
    // What was read of the closed story is this story's content now, as it stands.
    for (const std::weak_ptr<DocxFormattedText>& weak : closed.m_readers) {
        if (const std::shared_ptr<DocxFormattedText> reader = weak.lock()) {
            reader->readFrom(shared_from_this());
            m_readers.push_back(reader);
        }
    }
    closed.m_readers.clear();
    rewire();
    closed.rewire();
    m_modified = true;
    m_ranges.collapseAll();
    closed.m_ranges.collapseAll();
}

void DocxStory::keepReader(const std::shared_ptr<DocxFormattedText>& reader)
{
    std::erase_if(m_readers, [](const std::weak_ptr<DocxFormattedText>& weak) { return weak.expired(); });
    m_readers.push_back(reader);
}

void DocxStory::settleReaders()
{
    for (const std::weak_ptr<DocxFormattedText>& weak : m_readers) {
        if (const std::shared_ptr<DocxFormattedText> reader = weak.lock()) {
            reader->settle();
        }
    }
    m_readers.clear();
}

void DocxStory::ensureOpen() const
{
    if (m_closed) {
        throw HostError(m_fileName, QStringLiteral("the document has been closed"));
    }
}

QString DocxStory::text(qint64 start, qint64 end) const
{
    start = std::max<qint64>(start, 0);
    end = std::min(end, length());
    QString result;
    if (start >= end) {
        return result;
    }
    std::size_t slot = m_index.paragraphAt(start);
    qint64 position = m_index.paragraphStart(slot);
    if (end - position <= m_paragraphs[slot].length()) {
        // Inside one paragraph, as a word is.
        return m_paragraphs[slot].text().mid(start - position, end - start);
    }
    result.reserve(end - start);
    while (position < end) {
        const ParagraphText& text = m_paragraphs[slot].text();
        const qint64 from = std::max(start, position) - position;
        const qint64 to = std::min<qint64>(end - position, text.size());
        text.appendTo(result, from, to - from);
        position += text.size();
        const auto next = m_index.next(slot);
        if (!next) {
            break;
        }
        slot = *next;
    }
    return result;
}

void DocxStory::deleteText(qint64 start, qint64 end)
{
    ensureOpen();
    settleReaders();
    if (m_editor->deleteText(start, end)) {
        m_modified = true;
        m_onlyLogged = m_onlyLogged && m_record == DeletionRecord::Kept;
    }
}

std::optional<DocxStory::Place> DocxStory::paragraphAt(qint64 position) const
{
    if (position < 0 || position >= length()) {
        return std::nullopt;
    }
    const std::size_t slot = m_index.paragraphAt(position);
    return Place{slot, m_index.paragraphStart(slot)};
}

void DocxStory::deleteInParagraph(std::size_t slot, std::span<const std::pair<qint64, qint64>> spans)
{
    ensureOpen();
    if (spans.empty()) {
        return;
    }
    settleReaders();
    m_editor->deleteInParagraph(slot, spans);
    m_modified = true;
    m_onlyLogged = m_onlyLogged && m_record == DeletionRecord::Kept;
}

void DocxStory::insertText(qint64 position, const QString& text)
{
    ensureOpen();
    settleReaders();
    if (m_editor->insertText(position, text)) {
        m_modified = true;
        m_onlyLogged = false;
    }
}

} // namespace quillsift::docx
