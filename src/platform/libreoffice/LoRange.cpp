// SPDX-License-Identifier: GPL-3.0-or-later
#include "LoRange.h"

#include "LoFind.h"
#include "LoFormattedText.h"
#include "LoStory.h"

#include "engine/HostError.h"

#include <algorithm>

namespace quillsift::libreoffice {

using engine::HostError;

LoRange::LoRange(std::shared_ptr<LoStory> story, qint64 start, qint64 end)
    : StoryRange(std::move(story))
{
    m_story->registerRange(this);
    setSpan(start, end);
}

LoRange::~LoRange()
{
    m_story->unregisterRange(this);
}

std::unique_ptr<engine::Range> LoRange::make(qint64 start, qint64 end) const
{
    return std::make_unique<LoRange>(m_story, start, end);
}

std::unique_ptr<engine::Find> LoRange::find()
{
    m_story->ensureOpen();
    return std::make_unique<LoFind>(std::make_unique<LoRange>(m_story, m_start, m_end));
}

std::shared_ptr<const engine::FormattedText> LoRange::formattedText() const
{
    m_story->ensureOpen();
    if (m_story->fileName().isEmpty()) {
        throw HostError(QString(), QStringLiteral("only a document opened from a file can be copied in this host"));
    }
    return std::make_shared<LoFormattedText>(m_story->fileName(), m_start, m_end, m_story->length());
}

void LoRange::setFormattedText(const engine::FormattedText& text)
{
    m_story->ensureOpen();
    const auto* formatted = dynamic_cast<const LoFormattedText*>(&text);
    if (!formatted) {
        throw HostError(m_story->fileName(), QStringLiteral("the formatted text comes from another document host"));
    }
    if (m_start != 0 || m_end != m_story->length()) {
        throw HostError(m_story->fileName(),
                        QStringLiteral("formatted text can only replace a document's whole content in this host"));
    }
    m_story->insertFile(formatted->sourcePath());
    // Writer keeps the empty paragraph the new document had, before or after what it inserted
    // depending on the format: it goes when the copy is longer than its source.
    for (int surplus = 0; surplus < 2 && m_story->length() > formatted->length(); ++surplus) {
        const qint64 before = m_story->length();
        const auto first = m_story->unitAt(engine::Unit::Paragraph, 0);
        const auto last = m_story->previousUnit(engine::Unit::Paragraph, before);
        if (first && first->end == 1 && before > 1) {
            m_story->deleteText(0, 1);
        } else if (last && last->end - last->start == 1 && last->start > 0) {
            m_story->deleteText(last->start - 1, last->start);
        }
        if (m_story->length() == before) {
            break;
        }
    }
    // A file Writer opens but cannot insert leaves the copy short: an empty copy reported as
    // clean would lose the document.
    if (m_story->length() < formatted->length()) {
        throw HostError(formatted->sourcePath(),
                        QStringLiteral("LibreOffice could not copy the whole document (%1 of %2 characters)")
                            .arg(m_story->length())
                            .arg(formatted->length()));
    }
    // Only the stretch that was read is kept: first what followed it, then what preceded it.
    const qint64 length = m_story->length();
    if (formatted->end() < formatted->length() && formatted->end() < length) {
        m_story->deleteText(formatted->end(), length);
    }
    if (formatted->start() > 0) {
        m_story->deleteText(0, formatted->start());
    }
    setSpan(0, m_story->length());
}
} // namespace quillsift::libreoffice
