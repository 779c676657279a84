// SPDX-License-Identifier: GPL-3.0-or-later
#include "StoryEditor.h"

#include "ParagraphReader.h"

#include <algorithm>

namespace quillsift::docx {

StoryEditor::StoryEditor(const Parts& parts, const WordNames& names)
    : m_paragraphs(parts.paragraphs)
    , m_index(parts.index)
    , m_words(parts.words)
    , m_navigation(parts.navigation)
    , m_finder(parts.finder)
    , m_ranges(parts.ranges)
    , m_log(parts.log)
    , m_names(names)
    , m_surgery(names)
    , m_rules(parts.paragraphs, parts.index, names, m_surgery)
{
}

bool StoryEditor::deleteText(qint64 start, qint64 end)
{
    start = std::max<qint64>(start, 0);
    end = std::min(end, m_index.length());
    if (start >= end) {
        return false;
    }
    const std::size_t first = m_index.paragraphAt(start);
    std::size_t slot = m_index.paragraphAt(end - 1);
    // From the end backwards, so the positions of what is still to be done do not move.
    while (true) {
        const qint64 paragraphBegin = m_index.paragraphStart(slot);
        const qint64 paragraphEnd = paragraphBegin + m_paragraphs[slot].length();
        const qint64 from = std::max(start, paragraphBegin);
        const qint64 to = std::min(end, paragraphEnd);
        const auto previous = m_index.previous(slot);
        if (from == paragraphBegin && to == paragraphEnd && !m_rules.isPinned(slot)) {
            removeParagraph(slot);
        } else {
            const qint64 markStart = paragraphEnd - m_paragraphs[slot].markLength();
            if (from < std::min(to, markStart)) {
                deleteCharacters(slot, from - paragraphBegin, std::min(to, markStart) - paragraphBegin);
            }
            if (to == paragraphEnd && m_rules.canJoinNext(slot)) {
                joinNext(slot);
            }
        }
        if (slot == first || !previous) {
            break;
        }
        slot = *previous;
    }
    return true;
}

bool StoryEditor::insertText(qint64 position, const QString& text)
{
    if (text.isEmpty()) {
        // A replace with nothing, as every removal is: nothing to clean or place.
        return false;
    }
    // Marks and characters XML cannot hold have no place inside a run's text.
    QString clean;
    for (const QChar c : text) {
        if (c.unicode() >= 0x20 && c.unicode() != 0xFFFE && c.unicode() != 0xFFFF) {
            clean.append(c);
        }
    }
    // As the file will hold it (a lone surrogate has no UTF-8 form), so text and XML agree.
    clean = QString::fromUtf8(clean.toUtf8());
    position = std::clamp<qint64>(position, 0, m_index.length());
    if (clean.isEmpty() || position == m_index.length()) {
        return false;
    }
    const std::size_t slot = m_index.paragraphAt(position);
    Paragraph& paragraph = m_paragraphs[slot];
    const qint64 start = m_index.paragraphStart(slot);
    const auto offset = quint32(std::min<qint64>(position - start, paragraph.length() - paragraph.markLength()));
    // The text goes into the w:t that holds or ends at the position, else into a new w:t beside
    // the character element there, else into a new run at the paragraph's end.
    const qint64 oldLength = paragraph.length();
    std::size_t index = paragraph.pieces().firstEndingFrom(offset);
    const std::size_t neighbour = index;
    while (index < paragraph.pieces().size() && paragraph.pieces()[index].offset <= offset &&
           !paragraph.pieces()[index].isText) {
        ++index;
    }
    const bool inText = index < paragraph.pieces().size() && paragraph.pieces()[index].offset <= offset &&
                        paragraph.pieces()[index].isText;
    if (inText) {
        // Into the w:t in place: the paragraph's text, pieces and words follow without reading
        // the paragraph again.
        const Piece target = paragraph.pieces()[index];
        m_surgery.insertCharacters(target.node, offset - target.offset, clean);
        paragraph.insertIntoPiece(index, offset, clean);
    } else {
        if (neighbour < paragraph.pieces().size()) {
            const Piece piece = paragraph.pieces()[neighbour];
            m_surgery.insertBeside(piece.node, piece.offset >= offset, clean);
        } else {
            m_surgery.appendRun(paragraph.node(), clean);
        }
        reread(slot);
    }
    textChanged(slot, oldLength, offset);
    m_ranges.textInserted(start + offset, paragraph.length() - oldLength);
    return true;
}

void StoryEditor::deleteInParagraph(std::size_t slot, std::span<const std::pair<qint64, qint64>> spans)
{
    for (auto it = spans.rbegin(); it != spans.rend(); ++it) {
        deleteCharacters(slot, it->first, it->second);
    }
}

void StoryEditor::removeParagraph(std::size_t slot)
{
    Paragraph& paragraph = m_paragraphs[slot];
    const qint64 start = m_index.paragraphStart(slot);
    const qint64 length = paragraph.length();
    logDeletion(slot, 0, length);
    m_surgery.keepMarkers(paragraph.node());
    paragraph.node().parent().remove_child(paragraph.node());
    retire(slot);
    m_ranges.textRemoved(start, start + length);
}

void StoryEditor::retire(std::size_t slot)
{
    m_index.retire(slot);
    m_paragraphs[slot].retire();
    m_navigation.unitsChanged(slot);
}

void StoryEditor::joinNext(std::size_t slot)
{
    const std::size_t nextSlot = *m_index.next(slot);
    const qint64 start = m_index.paragraphStart(slot);
    const qint64 firstLength = m_paragraphs[slot].length();
    const qint64 secondLength = m_paragraphs[nextSlot].length();
    logDeletion(slot, firstLength - 1, 1);

    // The joined paragraph keeps the first one's properties and takes the second one's content,
    // with whatever markers lay between the two. It lives on in the slot and element of the
    // longer one, and the shorter one's content moves in, so a join costs the shorter paragraph:
    // taking every mark out of a long document one by one, from either end, stays linear.
    const bool keepFirst = firstLength >= secondLength;
    const std::size_t kept = keepFirst ? slot : nextSlot;
    const std::size_t gone = keepFirst ? nextSlot : slot;
    Paragraph& first = m_paragraphs[slot];
    Paragraph& second = m_paragraphs[nextSlot];
    m_surgery.joinElements(first.node(), second.node(), keepFirst);

    const bool withUnits = !m_paragraphs[kept].unitEnds().empty();
    if (withUnits) {
        m_words.unitEnds(gone);
    }
    Paragraph joined = Paragraph::joined(std::move(first), std::move(second), keepFirst, withUnits);

    // The slot that goes counts for nothing; the one that stays counts for both.
    retire(gone);
    m_paragraphs[kept] = std::move(joined);
    m_index.addCharacters(kept, keepFirst ? secondLength : firstLength);
    m_navigation.unitsChanged(kept);

    // Then the first one's mark goes, as any character does.
    Paragraph& paragraph = m_paragraphs[kept];
    const qint64 mark = firstLength - 1;
    paragraph.removeText(mark, mark + 1, [](const Piece&, qint64, qint64) { return true; });
    textChanged(kept, firstLength + secondLength, mark);
    // The find index lists the kept slot for its own words; the other paragraph's are new to it.
    if (keepFirst) {
        m_finder.indexWords(kept, mark, paragraph.length());
    } else {
        m_finder.indexWords(kept, 0, mark + 1);
    }
    m_ranges.textRemoved(start + mark, start + firstLength);
}

void StoryEditor::deleteCharacters(std::size_t slot, qint64 from, qint64 to)
{
    Paragraph& paragraph = m_paragraphs[slot];
    const qint64 start = m_index.paragraphStart(slot);
    const qint64 oldLength = paragraph.length();
    logDeletion(slot, from, to - from);

    const auto removal = m_words.unitRemoval(slot, from, to);
    // The pieces are in text order; only those overlapping [from, to) change in the XML. An
    // element whose every character goes is removed, and its run with it when that is left empty;
    // the other pieces, and the field structure, which no piece holds, stay as they were.
    paragraph.removeText(from, to, [this](const Piece& piece, qint64 low, qint64 high) {
        if (!piece.isText || (low == 0 && high == piece.length)) {
            m_surgery.removeFromRun(piece.node);
            return false;
        }
        m_surgery.removeCharacters(piece.node, low, high);
        return true;
    });
    textChanged(slot, oldLength, from, removal);
    m_ranges.textRemoved(start + from, start + to);
}

void StoryEditor::reread(std::size_t slot)
{
    FieldNesting fields;
    ParagraphReader(m_names).read(m_paragraphs[slot], fields);
}

void StoryEditor::textChanged(std::size_t slot, qint64 oldLength, qint64 changeAt,
                              std::optional<ParagraphWords::UnitRemoval> removal)
{
    m_index.addCharacters(slot, qint64(m_paragraphs[slot].length()) - oldLength);
    const ParagraphWords::Stretch changed = m_words.textChanged(slot, oldLength, changeAt, removal);
    m_navigation.unitsChanged(slot);
    m_finder.wordsChanged(slot, changed.from, changed.to);
}

void StoryEditor::logDeletion(std::size_t slot, qint64 offset, qint64 length)
{
    if (m_log) {
        m_log->add(m_paragraphs[slot].number(), m_paragraphs[slot].text(), offset, length);
    }
}

} // namespace quillsift::docx
