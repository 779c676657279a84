// SPDX-License-Identifier: GPL-3.0-or-later
#include "TextStory.h"

#include <engine/HostError.h>
#include <engine/Units.h>

#include <unicode/brkiter.h>
#include <unicode/uchar.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <memory>

namespace quillsift::testing {

namespace chars = engine::chars;

namespace {

const UChar* utf16(const QString& text)
{
    return reinterpret_cast<const UChar*>(text.utf16());
}

// The length of the code point starting at position i.
qint64 codePointLength(const QString& text, qint64 i)
{
    return (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) ? 2 : 1;
}

QString foldPiece(const UChar* source, int32_t length)
{
    UChar buffer[16];
    UErrorCode status = U_ZERO_ERROR;
    const int32_t written = u_strFoldCase(buffer, 16, source, length, U_FOLD_CASE_DEFAULT, &status);
    if (U_FAILURE(status)) {
        return QString(reinterpret_cast<const QChar*>(source), length);
    }
    return QString(reinterpret_cast<const QChar*>(buffer), written);
}

} // namespace

TextStory::TextStory(QString text)
    : m_text(std::move(text))
{
}

QString TextStory::fold(const QString& text)
{
    QString result;
    for (qint64 i = 0; i < text.size();) {
        const qint64 n = codePointLength(text, i);
        result += foldPiece(utf16(text) + i, static_cast<int32_t>(n));
        i += n;
    }
    return result;
}

bool TextStory::isParagraphStart(qint64 position) const
{
    if (position == 0) {
        return true;
    }
    const char16_t before = m_text.at(position - 1).unicode();
    return before == chars::ParagraphMark || before == chars::EndOfCell;
}

bool TextStory::isProtected(qint64 position) const
{
    const char16_t c = m_text.at(position).unicode();
    if (c == chars::EndOfCell) {
        return true;
    }
    if (c != chars::ParagraphMark) {
        return false;
    }
    if (position == length() - 1) {
        return true;
    }
    return m_text.at(position + 1).unicode() == chars::EndOfCell;
}

const std::vector<TextStory::Unit>& TextStory::words() const
{
    if (m_unitsValid) {
        return m_words;
    }
    m_words.clear();
    m_paragraphs.clear();

    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::BreakIterator> breaks(icu::BreakIterator::createWordInstance(icu::Locale::getRoot(), status));
    if (U_FAILURE(status)) {
        throw engine::HostError(QString(), QStringLiteral("ICU word segmentation is not available"));
    }
    const icu::UnicodeString ustring(false, utf16(m_text), static_cast<int32_t>(m_text.size()));
    breaks->setText(ustring);

    bool lastIsLeadingSpaces = false;
    qint64 start = breaks->first();
    for (qint64 end = breaks->next(); end != icu::BreakIterator::DONE; start = end, end = breaks->next()) {
        if (breaks->getRuleStatus() >= UBRK_WORD_NONE_LIMIT) {
            m_words.push_back({start, end, end});
            lastIsLeadingSpaces = false;
            continue;
        }
        // Not a word: every character is a unit of its own, spaces join the unit before them
        // unless they open a paragraph.
        for (qint64 i = start; i < end;) {
            const qint64 n = codePointLength(m_text, i);
            if (m_text.at(i).unicode() == chars::Space) {
                if (!m_words.empty() && !isParagraphStart(i) && !lastIsLeadingSpaces) {
                    m_words.back().end = i + n;
                } else if (!m_words.empty() && lastIsLeadingSpaces && m_words.back().end == i) {
                    m_words.back().charEnd = i + n;
                    m_words.back().end = i + n;
                } else {
                    m_words.push_back({i, i + n, i + n});
                    lastIsLeadingSpaces = true;
                }
            } else {
                m_words.push_back({i, i + n, i + n});
                lastIsLeadingSpaces = false;
            }
            i += n;
        }
    }

    qint64 paragraphStart = 0;
    for (qint64 i = 0; i < length(); ++i) {
        if (m_text.at(i).unicode() != chars::ParagraphMark) {
            continue;
        }
        qint64 end = i + 1;
        if (end < length() && m_text.at(end).unicode() == chars::EndOfCell) {
            ++end;
        }
        m_paragraphs.push_back({paragraphStart, end, end});
        paragraphStart = end;
        i = end - 1;
    }
    if (paragraphStart < length()) {
        m_paragraphs.push_back({paragraphStart, length(), length()});
    }
    m_unitsValid = true;
    return m_words;
}

const std::vector<TextStory::Unit>& TextStory::paragraphs() const
{
    words();
    return m_paragraphs;
}

void TextStory::track(Span* span)
{
    m_spans.insert(span);
}

void TextStory::untrack(Span* span)
{
    m_spans.erase(span);
}

void TextStory::invalidate()
{
    m_unitsValid = false;
}

void TextStory::deleteText(qint64 start, qint64 end)
{
    start = std::clamp<qint64>(start, 0, length());
    end = std::clamp<qint64>(end, start, length());
    // From the right, so the positions still to be visited do not move.
    qint64 runEnd = end;
    for (qint64 i = end - 1; i >= start - 1; --i) {
        if (i < start || isProtected(i)) {
            if (runEnd > i + 1) {
                removeExactly(i + 1, runEnd);
            }
            runEnd = i;
        }
    }
}

void TextStory::removeExactly(qint64 start, qint64 end)
{
    if (end <= start) {
        return;
    }
    const qint64 removed = end - start;
    m_text.remove(start, removed);
    const auto move = [&](qint64& position) {
        if (position >= end) {
            position -= removed;
        } else if (position > start) {
            position = start;
        }
    };
    for (Span* span : m_spans) {
        move(span->start);
        move(span->end);
    }
    invalidate();
}

void TextStory::replace(qint64 start, qint64 end, const QString& replacement, Span* owner)
{
    removeExactly(start, end);
    m_text.insert(start, replacement);
    const qint64 added = replacement.size();
    for (Span* span : m_spans) {
        if (span == owner) {
            continue;
        }
        if (span->start > start) {
            span->start += added;
        }
        if (span->end > start) {
            span->end += added;
        }
    }
    if (owner) {
        owner->start = start;
        owner->end = start + added;
    }
    invalidate();
}

std::vector<TextStory::Span> TextStory::findAll(qint64 start, qint64 end, const QString& findText, bool wholeWord) const
{
    std::vector<Span> matches;
    const QString target = fold(findText);
    if (target.isEmpty()) {
        return matches;
    }
    std::vector<qint64> starts;
    std::vector<bool> isEnd(static_cast<size_t>(length() + 1), !wholeWord);
    if (wholeWord) {
        for (const Unit& unit : words()) {
            if (unit.start >= start && unit.start < end) {
                starts.push_back(unit.start);
            }
            isEnd[static_cast<size_t>(unit.charEnd)] = true;
        }
    } else {
        for (qint64 i = start; i < end; i += codePointLength(m_text, i)) {
            starts.push_back(i);
        }
    }
    qint64 resumeAt = start;
    for (const qint64 from : starts) {
        if (from < resumeAt) {
            continue;
        }
        QString folded;
        for (qint64 j = from; j < end && folded.size() < target.size();) {
            const qint64 n = codePointLength(m_text, j);
            folded += foldPiece(utf16(m_text) + j, static_cast<int32_t>(n));
            j += n;
            if (!target.startsWith(folded)) {
                break;
            }
            if (folded.size() == target.size() && isEnd[static_cast<size_t>(j)]) {
                matches.push_back({from, j});
                resumeAt = j;
            }
        }
    }
    return matches;
}

} // namespace quillsift::testing
