// SPDX-License-Identifier: GPL-3.0-or-later
#include "TextRange.h"

#include "TextFind.h"
#include "TextFormattedText.h"

#include <engine/HostError.h>

#include <algorithm>

namespace quillsift::testing {

TextRange::TextRange(std::shared_ptr<TextStory> story, qint64 start, qint64 end)
    : m_story(std::move(story))
    , m_span{start, end}
{
    m_story->track(&m_span);
}

TextRange::~TextRange()
{
    m_story->untrack(&m_span);
}

qint64 TextRange::start() const
{
    return m_span.start;
}

qint64 TextRange::end() const
{
    return m_span.end;
}

void TextRange::setStart(qint64 position)
{
    m_span.start = std::clamp<qint64>(position, 0, m_story->length());
    m_span.end = std::max(m_span.end, m_span.start);
}

QString TextRange::text() const
{
    return m_story->text().mid(m_span.start, m_span.end - m_span.start);
}

const std::vector<TextStory::Unit>& TextRange::units(engine::Unit unit) const
{
    return unit == engine::Unit::Paragraph ? m_story->paragraphs() : m_story->words();
}

std::vector<TextStory::Unit> TextRange::overlapping(engine::Unit unit) const
{
    std::vector<TextStory::Unit> result;
    for (const auto& u : units(unit)) {
        const bool overlaps = m_span.start == m_span.end ? (u.start <= m_span.start && m_span.start < u.end)
                                                         : (u.start < m_span.end && u.end > m_span.start);
        if (overlaps) {
            result.push_back(u);
        }
    }
    return result;
}

std::unique_ptr<engine::Range> TextRange::rangeOver(const TextStory::Unit& unit) const
{
    return std::make_unique<TextRange>(m_story, unit.start, unit.end);
}

qint64 TextRange::paragraphsCount() const
{
    return static_cast<qint64>(overlapping(engine::Unit::Paragraph).size());
}

qint64 TextRange::wordsCount() const
{
    return static_cast<qint64>(overlapping(engine::Unit::Word).size());
}

std::unique_ptr<engine::Range> TextRange::paragraph(qint64 index) const
{
    const auto all = overlapping(engine::Unit::Paragraph);
    if (index < 1 || index > static_cast<qint64>(all.size())) {
        return nullptr;
    }
    return rangeOver(all[static_cast<size_t>(index - 1)]);
}

std::unique_ptr<engine::Range> TextRange::word(qint64 index) const
{
    const auto all = overlapping(engine::Unit::Word);
    if (index < 1 || index > static_cast<qint64>(all.size())) {
        return nullptr;
    }
    return rangeOver(all[static_cast<size_t>(index - 1)]);
}

std::unique_ptr<engine::Range> TextRange::next(engine::Unit unit) const
{
    const auto& all = units(unit);
    if (m_span.start == m_span.end) {
        for (size_t i = 0; i < all.size(); ++i) {
            if (all[i].start <= m_span.start && m_span.start < all[i].end) {
                return i + 1 < all.size() ? rangeOver(all[i + 1]) : nullptr;
            }
        }
        return nullptr;
    }
    for (const auto& u : all) {
        if (u.start >= m_span.end) {
            return rangeOver(u);
        }
    }
    return nullptr;
}

std::unique_ptr<engine::Range> TextRange::previous(engine::Unit unit) const
{
    const auto& all = units(unit);
    for (auto it = all.rbegin(); it != all.rend(); ++it) {
        if (it->end <= m_span.start) {
            return rangeOver(*it);
        }
    }
    return nullptr;
}

void TextRange::deleteContent()
{
    m_story->deleteText(m_span.start, m_span.end);
}

std::unique_ptr<engine::Find> TextRange::find()
{
    return std::make_unique<TextFind>(m_story, m_span.start, m_span.end);
}

std::shared_ptr<const engine::FormattedText> TextRange::formattedText() const
{
    return std::make_shared<TextFormattedText>(text());
}

void TextRange::setFormattedText(const engine::FormattedText& text)
{
    const auto* own = dynamic_cast<const TextFormattedText*>(&text);
    if (!own) {
        throw engine::HostError(QString(), QStringLiteral("formatted text from another host cannot be pasted here"));
    }
    m_story->replace(m_span.start, m_span.end, own->text(), &m_span);
}

} // namespace quillsift::testing
