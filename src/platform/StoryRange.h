// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/Range.h"
#include "engine/Units.h"

#include <QString>

#include <algorithm>
#include <concepts>
#include <memory>

namespace quillsift::platform {

/// A unit's place in a story, as a story's walks answer it.
template <typename Span>
concept StorySpan = requires(const Span& span)
{
    {
        span.start
        } -> std::convertible_to<qint64>;
    {
        span.end
        } -> std::convertible_to<qint64>;
};

/// What a host's story must provide for its ranges: the text and its length, the units it holds
/// (counted, found by their index, the next one after a span and the one before a position),
/// and deletion. Every member is answered by the story itself, in what its host's cost rule
/// allows.
template <typename S>
concept Story = requires(S& story, const S& constStory, engine::Unit unit, qint64 position, qint64 index)
{
    constStory.ensureOpen();
    {
        constStory.length()
        } -> std::convertible_to<qint64>;
    {
        constStory.text(position, position)
        } -> std::convertible_to<QString>;
    {
        story.countUnits(unit, position, position)
        } -> std::convertible_to<qint64>;
    {
        *story.unitByIndex(unit, position, position, index)
        } -> StorySpan;
    {
        *story.nextUnit(unit, position, position)
        } -> StorySpan;
    {
        *story.previousUnit(unit, position)
        } -> StorySpan;
    story.deleteText(position, position);
};

/// What the hosts' live ranges share: a span of a story that the story moves when text before
/// or inside it is deleted, with every walk and count answered by the story itself. A host's
/// range adds registration with its story, the search and the formatted copy.
template <typename StoryType> class StoryRange : public engine::Range
{
  public:
    qint64 start() const override
    {
        m_story->ensureOpen();
        return m_start;
    }
    qint64 end() const override
    {
        m_story->ensureOpen();
        return m_end;
    }
    void setStart(qint64 position) override
    {
        m_story->ensureOpen();
        setSpan(position, std::max(position, m_end));
    }
    /// Sets both ends at once, clamped to the story.
    void setSpan(qint64 start, qint64 end)
    {
        const qint64 length = m_story->length();
        m_start = std::clamp<qint64>(start, 0, length);
        m_end = std::clamp<qint64>(end, m_start, length);
    }
    QString text() const override
    {
        m_story->ensureOpen();
        return m_story->text(m_start, m_end);
    }
    qint64 paragraphsCount() const override
    {
        m_story->ensureOpen();
        return m_story->countUnits(engine::Unit::Paragraph, m_start, m_end);
    }
    qint64 wordsCount() const override
    {
        m_story->ensureOpen();
        return m_story->countUnits(engine::Unit::Word, m_start, m_end);
    }
    std::unique_ptr<engine::Range> paragraph(qint64 index) const override
    {
        m_story->ensureOpen();
        const auto span = m_story->unitByIndex(engine::Unit::Paragraph, m_start, m_end, index);
        return span ? make(span->start, span->end) : nullptr;
    }
    std::unique_ptr<engine::Range> word(qint64 index) const override
    {
        m_story->ensureOpen();
        const auto span = m_story->unitByIndex(engine::Unit::Word, m_start, m_end, index);
        return span ? make(span->start, span->end) : nullptr;
    }
    std::unique_ptr<engine::Range> next(engine::Unit unit) const override
    {
        m_story->ensureOpen();
        const auto span = m_story->nextUnit(unit, m_start, m_end);
        return span ? make(span->start, span->end) : nullptr;
    }
    std::unique_ptr<engine::Range> previous(engine::Unit unit) const override
    {
        m_story->ensureOpen();
        const auto span = m_story->previousUnit(unit, m_start);
        return span ? make(span->start, span->end) : nullptr;
    }
    void deleteContent() override
    {
        m_story->ensureOpen();
        const qint64 start = m_start;
        m_story->deleteText(m_start, m_end);
        // Marks that had to stay may leave the end behind; the range itself still collapses.
        setSpan(std::min(start, m_start), std::min(start, m_start));
    }

    /// Called by the story: the text [from, to) has gone.
    void textRemoved(qint64 from, qint64 to)
    {
        auto move = [from, to](qint64 position) {
            if (position >= to) {
                return position - (to - from);
            }
            return position > from ? from : position;
        };
        m_start = move(m_start);
        m_end = move(m_end);
    }
    /// Called by the story when its whole text is replaced.
    void collapseToStart()
    {
        m_start = 0;
        m_end = 0;
    }

    StoryType& story() const
    {
        return *m_story;
    }

  protected:
    explicit StoryRange(std::shared_ptr<StoryType> story)
        : m_story(std::move(story))
    {
        // Checked here rather than on the class, where a host's story may not be complete yet.
        static_assert(Story<StoryType>, "a range's story must provide what Story names");
    }

    /// A new range of the same host over [start, end).
    virtual std::unique_ptr<engine::Range> make(qint64 start, qint64 end) const = 0;

    std::shared_ptr<StoryType> m_story;
    qint64 m_start = 0;
    qint64 m_end = 0;
};

} // namespace quillsift::platform
