// SPDX-License-Identifier: GPL-3.0-or-later
#include "DocxRange.h"

#include "DocxFind.h"
#include "DocxFormattedText.h"
#include "DocxStory.h"

#include "engine/HostError.h"

#include <algorithm>

namespace quillsift::docx {

using engine::HostError;

DocxRange::DocxRange(std::shared_ptr<DocxStory> story, qint64 start, qint64 end)
    : StoryRange(std::move(story))
{
    m_story->registerRange(this);
    setSpan(start, end);
}

DocxRange::~DocxRange()
{
    m_story->unregisterRange(this);
}

std::unique_ptr<engine::Range> DocxRange::make(qint64 start, qint64 end) const
{
    return std::make_unique<DocxRange>(m_story, start, end);
}

std::unique_ptr<engine::Find> DocxRange::find()
{
    m_story->ensureOpen();
    return std::make_unique<DocxFind>(std::make_unique<DocxRange>(m_story, m_start, m_end));
}

std::shared_ptr<const engine::FormattedText> DocxRange::formattedText() const
{
    m_story->ensureOpen();
    const QString source = m_story->copiedFrom().isEmpty() ? m_story->fileName() : m_story->copiedFrom();
    auto text = std::make_shared<DocxFormattedText>(m_story, m_start, m_end, source, m_story->isPlainText());
    m_story->keepReader(text);
    return text;
}

void DocxRange::setFormattedText(const engine::FormattedText& text)
{
    m_story->ensureOpen();
    const auto* formatted = dynamic_cast<const DocxFormattedText*>(&text);
    if (!formatted) {
        throw HostError(m_story->fileName(), QStringLiteral("the formatted text comes from another document host"));
    }
    if (m_start != 0 || m_end != m_story->length()) {
        throw HostError(m_story->fileName(),
                        QStringLiteral("formatted text can only replace a document's whole content in this host"));
    }
    // A closed story read as it was read gives its parsed content whole; any other is parsed again.
    if (const std::shared_ptr<DocxStory> closed = formatted->closedStory(); closed && closed != m_story) {
        m_story->takeContentOf(*closed);
    } else {
        m_story->replace(formatted->package());
    }
    m_story->setCopiedFrom(formatted->sourcePath());
    m_story->setPlainText(formatted->isPlainText());
    // Only the stretch that was read is kept: first what followed it, then what preceded it.
    const qint64 length = m_story->length();
    if (formatted->end() < length) {
        m_story->deleteText(formatted->end(), length);
    }
    if (formatted->start() > 0) {
        m_story->deleteText(0, formatted->start());
    }
    m_story->forgetDeletions();
    setSpan(0, m_story->length());
}

void DocxRange::textInserted(qint64 position, qint64 length)
{
    if (m_start > position) {
        m_start += length;
    }
    if (m_end >= position) {
        m_end += length;
    }
}

} // namespace quillsift::docx
