// SPDX-License-Identifier: GPL-3.0-or-later
#include "RemovalHistory.h"

#include "text/FenwickTree.h"

#include <algorithm>

namespace quillsift::docx {

namespace {

/// Where piece number piece of a paragraph of size characters starts: a multiple of the piece
/// length, moved on by one where it would split a surrogate pair.
std::size_t pieceStart(const std::vector<RemovalHistory::Character>& characters, qint64 piece)
{
    auto at = std::size_t(std::min<qint64>(piece * RemovalHistory::pieceLength, qint64(characters.size())));
    if (at > 0 && at < characters.size() && characters[at].ch.isLowSurrogate() &&
        characters[at - 1].ch.isHighSurrogate()) {
        ++at;
    }
    return at;
}

} // namespace

RemovalHistory::RemovalHistory(std::shared_ptr<const DocxStory> story)
    : m_story(std::move(story))
{
    const std::vector<Paragraph>& paragraphs = m_story->paragraphs();
    const DeletionLog& log = m_story->deletionLog();
    std::size_t numbers = 0;
    for (const Paragraph& paragraph : paragraphs) {
        if (paragraph.isAlive()) {
            numbers = std::max<std::size_t>(numbers, paragraph.number() + 1);
        }
    }
    for (std::size_t index = 0; index < log.size(); ++index) {
        numbers = std::max<std::size_t>(numbers, log.paragraphOf(index) + 1);
    }
    std::vector<Shown> byNumber(numbers);
    for (std::size_t slot = 0; slot < paragraphs.size(); ++slot) {
        if (paragraphs[slot].isAlive()) {
            Shown& shown = byNumber[paragraphs[slot].number()];
            shown.slot = qint64(slot);
            shown.length += paragraphs[slot].length();
        }
    }
    for (std::size_t index = 0; index < log.size(); ++index) {
        Shown& shown = byNumber[log.paragraphOf(index)];
        ++shown.deletionCount;
        shown.length += log.lengthOf(index);
    }
    // Group the deletions by paragraph, each group keeping the order they were made in.
    std::size_t next = 0;
    for (Shown& shown : byNumber) {
        shown.firstDeletion = next;
        next += shown.deletionCount;
    }
    m_deletions.resize(log.size());
    std::vector<std::size_t> filled(numbers, 0);
    for (std::size_t index = 0; index < log.size(); ++index) {
        const quint32 number = log.paragraphOf(index);
        m_deletions[byNumber[number].firstDeletion + filled[number]++] = index;
    }
    m_piecesBefore.push_back(0);
    for (const Shown& shown : byNumber) {
        if (shown.slot < 0 && shown.deletionCount == 0) {
            continue;
        }
        m_shown.push_back(shown);
        const qint64 pieces = std::max<qint64>(1, (shown.length + pieceLength - 1) / pieceLength);
        m_piecesBefore.push_back(m_piecesBefore.back() + pieces);
    }
}

RemovalHistory::Piece RemovalHistory::piece(std::size_t index) const
{
    const auto after = std::upper_bound(m_piecesBefore.begin(), m_piecesBefore.end(), qint64(index));
    const auto shown = std::size_t(after - m_piecesBefore.begin()) - 1;
    const qint64 number = qint64(index) - m_piecesBefore[shown];
    const std::vector<Character>& characters = rebuilt(shown);
    const std::size_t start = pieceStart(characters, number);
    const std::size_t end = pieceStart(characters, number + 1);
    Piece piece;
    piece.characters.assign(characters.begin() + qint64(start), characters.begin() + qint64(end));
    piece.endsParagraph = qint64(index) + 1 == m_piecesBefore[shown + 1];
    return piece;
}

const std::vector<RemovalHistory::Character>& RemovalHistory::rebuilt(std::size_t index) const
{
    if (m_cachedShown == index) {
        return m_cached;
    }
    m_cachedShown = std::size_t(-1);
    const Shown& shown = m_shown[index];
    std::vector<Character> kept;
    if (shown.slot >= 0) {
        const Paragraph& paragraph = m_story->paragraphs()[std::size_t(shown.slot)];
        const QString text = paragraph.text().toString();
        kept.resize(std::size_t(text.size()));
        for (qsizetype i = 0; i < text.size(); ++i) {
            kept[std::size_t(i)].ch = text[i];
        }
        for (const docx::Piece& piece : paragraph.pieces().toVector()) {
            const FormattedView::Run format = FormattedView::formatOf(piece, m_story->names());
            const std::size_t end = std::min<std::size_t>(kept.size(), std::size_t(piece.offset) + piece.length);
            for (std::size_t i = piece.offset; i < end; ++i) {
                kept[i].bold = format.bold;
                kept[i].italic = format.italic;
                kept[i].underline = format.underline;
            }
        }
    }
    // Take the deletions again in the order they were made, on a tree of the characters still
    // there, to find where each removed character stood; the kept ones fill the rest in order.
    const auto length = std::size_t(shown.length);
    m_cached.assign(length, Character{});
    std::vector<bool> removed(length, false);
    text::FenwickTree standing(std::vector<qint64>(length, 1));
    const DeletionLog& log = m_story->deletionLog();
    for (std::size_t i = 0; i < shown.deletionCount; ++i) {
        const DeletionLog::Deletion deletion = log.at(m_deletions[shown.firstDeletion + i]);
        const qint64 size = deletion.text.size();
        const qint64 offset = std::clamp<qint64>(deletion.offset, 0, standing.total() - size);
        for (qint64 j = 0; j < size; ++j) {
            const std::size_t at = standing.slotAfter(offset);
            m_cached[at] = {deletion.text[j], false, false, false, true};
            removed[at] = true;
            standing.add(at, -1);
        }
    }
    std::size_t next = 0;
    for (std::size_t at = 0; at < length && next < kept.size(); ++at) {
        if (!removed[at]) {
            m_cached[at] = kept[next++];
        }
    }
    m_cachedShown = index;
    return m_cached;
}

} // namespace quillsift::docx
