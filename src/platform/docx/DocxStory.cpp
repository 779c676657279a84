// SPDX-License-Identifier: GPL-3.0-or-later
#include "DocxStory.h"

#include "DocxFinder.h"
#include "DocxRange.h"
#include "FormattedView.h"
#include "ParagraphReader.h"
#include "XmlBytes.h"
#include "XmlTree.h"

#include "engine/HostError.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <future>
#include <string>
#include <system_error>

#include <unicode/uchar.h>

namespace quillsift::docx {

using engine::HostError;
using engine::Unit;

DocxStory::DocxStory(const QString& fileName, Package package, platform::ProcessorShare* processors)
    : m_fileName(fileName)
    , m_processors(processors)
    , m_finder(std::make_unique<DocxFinder>(*this))
{
    load(std::move(package));
}

void DocxStory::replace(Package package)
{
    ensureOpen();
    load(std::move(package));
    m_modified = true;
    m_ranges.collapseAll();
}

void DocxStory::load(Package package)
{
    const QString& fileName = m_fileName;
    m_package = std::move(package);
    m_xml.reset();
    m_paragraphs.clear();
    m_wordIndex = false;
    m_finder->reset();
    m_deletionLog.clear();
    m_mainPart = m_package.mainPartName();
    if (m_mainPart.isEmpty()) {
        throw HostError(fileName, QStringLiteral("the package names no main document part, so it is not a Word "
                                                 "document"));
    }
    Package::Entry* main = m_package.find(m_mainPart);
    if (!main) {
        throw HostError(fileName,
                        QStringLiteral("the main document part %1 is missing from the package").arg(m_mainPart));
    }
    m_mainPart = main->name;
    // The XML is parsed in place, in a buffer of its own; the package gets the part back,
    // serialized from the edited tree, when it is saved.
    m_xmlBuffer = std::move(main->data);
    main->data = QByteArray();
    const XmlTree::Prefixes prefixes =
        XmlTree::parse(fileName, m_mainPart, m_xml, m_xmlBuffer.data(), std::size_t(m_xmlBuffer.size()),
                       pugi::parse_default | pugi::parse_ws_pcdata_single);
    const pugi::xml_node root = m_xml.document_element();
    m_names = std::make_unique<WordNames>(prefixes);
    pugi::xml_node body = root.child(m_names->body.c_str());
    if (!m_names->isWordNamespace() || !body) {
        throw HostError(fileName, QStringLiteral("the main document part holds no WordprocessingML body, so it is "
                                                 "not a Word document"));
    }
    repairEmptyCells(body);
    // The nodes are gathered first so that the paragraphs, which are large, are built in place.
    std::vector<Found> found;
    collectParagraphs(body, nullptr, found);
    m_paragraphs.reserve(found.size() + 1);
    for (const Found& each : found) {
        Paragraph& paragraph = m_paragraphs.emplace_back();
        paragraph.node = each.node;
        paragraph.cellEnd = each.cellEnd;
        paragraph.number = quint32(m_paragraphs.size() - 1);
    }
    if (m_paragraphs.empty()) {
        // Word shows a body without paragraphs as one empty paragraph; make the file say so too.
        pugi::xml_node sectPr = body.child(m_names->sectPr.c_str());
        pugi::xml_node paragraph =
            sectPr ? body.insert_child_before(m_names->p.c_str(), sectPr) : body.append_child(m_names->p.c_str());
        m_paragraphs.emplace_back().node = paragraph;
    }

    const ParagraphReader reader(*m_names);
    std::vector<bool> fields;
    std::vector<qint64> lengths;
    lengths.reserve(m_paragraphs.size());
    for (Paragraph& paragraph : m_paragraphs) {
        paragraph.fieldsAtStart = fields;
        reader.read(paragraph, fields);
        lengths.push_back(paragraph.text.size());
    }
    m_characters = FenwickTree(lengths);
    m_lastParagraph = {};
    m_live = FenwickTree(std::vector<qint64>(m_paragraphs.size(), 1));
}

DocxStory::~DocxStory() = default;

void DocxStory::ensureOpen() const
{
    if (m_closed) {
        throw HostError(m_fileName, QStringLiteral("the document has been closed"));
    }
}

void DocxStory::close()
{
    m_closed = true;
}

void DocxStory::repairEmptyCells(pugi::xml_node body)
{
    // A cell without a paragraph of its own makes Word ask to repair the file; give it one so that
    // what we save is sound, and so that the cell has its end-of-cell mark in the text.
    const WordNames& n = *m_names;
    std::function<bool(pugi::xml_node)> holdsParagraph = [&](pugi::xml_node container) {
        for (pugi::xml_node child = container.first_child(); child; child = child.next_sibling()) {
            const char* name = child.name();
            if (n.p == name) {
                return true;
            }
            if ((n.sdt == name && holdsParagraph(child.child(n.sdtContent.c_str()))) ||
                (n.customXml == name && holdsParagraph(child))) {
                return true;
            }
        }
        return false;
    };
    std::vector<pugi::xml_node> cells;
    pugi::xml_node node = body.first_child();
    while (node) {
        if (n.tc == node.name()) {
            cells.push_back(node);
        }
        if (node.first_child()) {
            node = node.first_child();
            continue;
        }
        while (node && node != body && !node.next_sibling()) {
            node = node.parent();
        }
        node = (node && node != body) ? node.next_sibling() : pugi::xml_node();
    }
    for (pugi::xml_node cell : cells) {
        pugi::xml_node last = cell.last_child();
        while (last && last.type() != pugi::node_element) {
            last = last.previous_sibling();
        }
        if (!holdsParagraph(cell) || (last && n.tbl == last.name())) {
            cell.append_child(n.p.c_str());
        }
    }
}

void DocxStory::collectParagraphs(pugi::xml_node container, std::size_t* cellLast, std::vector<Found>& found)
{
    const WordNames& n = *m_names;
    for (pugi::xml_node child = container.first_child(); child; child = child.next_sibling()) {
        if (child.type() != pugi::node_element) {
            continue;
        }
        const char* name = child.name();
        if (n.p == name) {
            if (cellLast) {
                *cellLast = found.size();
            }
            found.push_back({child, false});
        } else if (n.tbl == name || n.tr == name) {
            collectParagraphs(child, nullptr, found);
        } else if (n.tc == name) {
            std::size_t last = std::size_t(-1);
            collectParagraphs(child, &last, found);
            if (last != std::size_t(-1)) {
                found[last].cellEnd = true;
            }
        } else if (n.sdt == name) {
            collectParagraphs(child.child(n.sdtContent.c_str()), cellLast, found);
        } else if (n.customXml == name || n.ins == name || n.moveTo == name || n.smartTag == name) {
            collectParagraphs(child, cellLast, found);
        }
    }
}

qint64 DocxStory::length() const
{
    return m_characters.total();
}

std::size_t DocxStory::paragraphAt(qint64 position) const
{
    LastParagraph& last = m_lastParagraph;
    if (last.valid && position >= last.start && position < last.end) {
        return last.slot;
    }
    if (last.valid && position >= last.end && last.slot + 1 < m_paragraphs.size()) {
        // The walks go forward: the paragraph after the last one found is the likeliest, and
        // when it is in the next slot it is found without a descent through the tree.
        const Paragraph& next = m_paragraphs[last.slot + 1];
        const qint64 nextEnd = last.end + next.text.size();
        if (next.alive && position < nextEnd) {
            last = {true, last.slot + 1, last.end, nextEnd};
            return last.slot;
        }
    }
    const std::size_t slot = m_characters.slotAfter(position);
    if (slot < m_paragraphs.size()) {
        last = {true, slot, m_characters.prefix(slot), m_characters.prefix(slot + 1)};
    }
    return slot;
}

qint64 DocxStory::paragraphStart(std::size_t slot) const
{
    if (m_lastParagraph.valid && m_lastParagraph.slot == slot) {
        return m_lastParagraph.start;
    }
    return m_characters.prefix(slot);
}

void DocxStory::addCharacters(std::size_t slot, qint64 delta)
{
    m_characters.add(slot, delta);
    LastParagraph& last = m_lastParagraph;
    if (!last.valid || slot > last.slot) {
        return;
    }
    if (slot < last.slot) {
        last.start += delta;
    }
    last.end += delta;
    last.valid = last.end > last.start;
}

std::optional<std::size_t> DocxStory::nextParagraph(std::size_t slot) const
{
    // Most paragraphs are still where they were: the next slot is then the next paragraph.
    if (slot + 1 < m_paragraphs.size() && m_paragraphs[slot + 1].alive) {
        return slot + 1;
    }
    const qint64 ordinal = m_live.prefix(slot + 1);
    if (ordinal >= m_live.total()) {
        return std::nullopt;
    }
    return m_live.slotAfter(ordinal);
}

std::optional<std::size_t> DocxStory::previousParagraph(std::size_t slot) const
{
    if (slot > 0 && slot <= m_paragraphs.size() && m_paragraphs[slot - 1].alive) {
        return slot - 1;
    }
    const qint64 ordinal = m_live.prefix(slot);
    if (ordinal == 0) {
        return std::nullopt;
    }
    return m_live.slotAfter(ordinal - 1);
}

void DocxStory::segment(WordSegmenter& segmenter, Paragraph& paragraph)
{
    paragraph.unitEnds = UnitEnds(segmenter.unitEnds(paragraph.text.toString()), paragraph.text.size());
}

const UnitEnds& DocxStory::unitEnds(std::size_t slot)
{
    Paragraph& paragraph = m_paragraphs[slot];
    if (paragraph.unitEnds.empty() && paragraph.alive) {
        segment(m_segmenter, paragraph);
    }
    return paragraph.unitEnds;
}

void DocxStory::ensureWordIndex()
{
    if (m_wordIndex) {
        return;
    }
    // Segmenting every paragraph is most of what counting a long document's words costs: a second
    // thread, with a segmenter of its own, takes the paragraphs of the second half of the text.
    auto segmentFrom = [this](WordSegmenter& segmenter, std::size_t from, std::size_t to) {
        for (std::size_t slot = from; slot < to; ++slot) {
            Paragraph& paragraph = m_paragraphs[slot];
            if (paragraph.alive && paragraph.unitEnds.empty()) {
                segment(segmenter, paragraph);
            }
        }
    };
    std::size_t half = m_paragraphs.size();
    std::future<void> secondHalf;
    const platform::ProcessorShare::Lease lent(length() >= segmentInTwo ? m_processors : nullptr, 1);
    if (lent.count() > 0) {
        half = m_characters.slotAfter(length() / 2);
        try {
            secondHalf = std::async(std::launch::async, [&, half] {
                WordSegmenter segmenter;
                segmentFrom(segmenter, half, m_paragraphs.size());
            });
        } catch (const std::system_error&) {
            half = m_paragraphs.size(); // no thread to be had: all on this one
        }
    }
    segmentFrom(m_segmenter, 0, half);
    if (secondHalf.valid()) {
        secondHalf.get();
    }
    std::vector<qint64> counts(m_paragraphs.size(), 0);
    for (std::size_t slot = 0; slot < m_paragraphs.size(); ++slot) {
        if (m_paragraphs[slot].alive) {
            counts[slot] = qint64(unitEnds(slot).size());
        }
    }
    m_words = FenwickTree(counts);
    m_wordIndex = true;
}

std::optional<DocxStory::Location> DocxStory::locate(Unit unit, qint64 position)
{
    if (position < 0 || position >= length()) {
        return std::nullopt;
    }
    Location location;
    location.paragraph = paragraphAt(position);
    if (unit == Unit::Word) {
        const auto& ends = unitEnds(location.paragraph);
        const auto offset = quint32(position - paragraphStart(location.paragraph));
        location.unit = ends.upperBound(offset);
    }
    return location;
}

DocxStory::Span DocxStory::spanOf(Unit unit, const Location& location)
{
    const qint64 start = paragraphStart(location.paragraph);
    if (unit == Unit::Paragraph) {
        return {start, start + m_paragraphs[location.paragraph].text.size()};
    }
    const auto& ends = unitEnds(location.paragraph);
    return {start + (location.unit > 0 ? ends[location.unit - 1] : 0), start + ends[location.unit]};
}

bool DocxStory::step(Unit unit, Location& location, bool forward)
{
    if (unit == Unit::Word) {
        if (forward && location.unit + 1 < unitEnds(location.paragraph).size()) {
            ++location.unit;
            return true;
        }
        if (!forward && location.unit > 0) {
            --location.unit;
            return true;
        }
    }
    const auto slot = forward ? nextParagraph(location.paragraph) : previousParagraph(location.paragraph);
    if (!slot) {
        return false;
    }
    location.paragraph = *slot;
    location.unit = (unit == Unit::Word && !forward) ? unitEnds(*slot).size() - 1 : 0;
    return true;
}

std::optional<DocxStory::Span> DocxStory::unitAt(Unit unit, qint64 position)
{
    const auto location = locate(unit, position);
    if (!location) {
        return std::nullopt;
    }
    return spanOf(unit, *location);
}

std::optional<DocxStory::Span> DocxStory::nextUnit(Unit unit, qint64 start, qint64 end)
{
    const bool collapsed = start >= end;
    auto location = locate(unit, collapsed ? start : end);
    if (!location) {
        return std::nullopt;
    }
    if (!collapsed && spanOf(unit, *location).start == end) {
        return spanOf(unit, *location);
    }
    if (!step(unit, *location, true)) {
        return std::nullopt;
    }
    return spanOf(unit, *location);
}

std::optional<DocxStory::Span> DocxStory::previousUnit(Unit unit, qint64 start)
{
    start = std::min(start, length());
    auto location = locate(unit, start - 1);
    if (!location) {
        return std::nullopt;
    }
    if (spanOf(unit, *location).end <= start) {
        return spanOf(unit, *location);
    }
    if (!step(unit, *location, false)) {
        return std::nullopt;
    }
    return spanOf(unit, *location);
}

qint64 DocxStory::countUnits(Unit unit, qint64 start, qint64 end)
{
    end = std::min(end, length());
    if (start >= end) {
        return locate(unit, start) ? 1 : 0;
    }
    const auto first = locate(unit, start);
    const auto last = locate(unit, end - 1);
    if (!first || !last) {
        return 0;
    }
    if (unit == Unit::Paragraph) {
        return m_live.prefix(last->paragraph + 1) - m_live.prefix(first->paragraph);
    }
    if (first->paragraph == last->paragraph) {
        return qint64(last->unit - first->unit) + 1;
    }
    ensureWordIndex();
    return qint64(unitEnds(first->paragraph).size() - first->unit) +
           (m_words.prefix(last->paragraph) - m_words.prefix(first->paragraph + 1)) + qint64(last->unit) + 1;
}

std::optional<DocxStory::Span> DocxStory::unitByIndex(Unit unit, qint64 start, qint64 end, qint64 index)
{
    const auto first = locate(unit, start);
    if (index < 1 || !first) {
        return std::nullopt;
    }
    if (index == 1) {
        return spanOf(unit, *first);
    }
    if (start >= end) {
        return std::nullopt;
    }
    Location location;
    if (unit == Unit::Paragraph) {
        const qint64 ordinal = m_live.prefix(first->paragraph) + index - 1;
        if (ordinal >= m_live.total()) {
            return std::nullopt;
        }
        location.paragraph = m_live.slotAfter(ordinal);
    } else {
        ensureWordIndex();
        const qint64 ordinal = m_words.prefix(first->paragraph) + qint64(first->unit) + index - 1;
        if (ordinal >= m_words.total()) {
            return std::nullopt;
        }
        location.paragraph = m_words.slotAfter(ordinal);
        location.unit = std::size_t(ordinal - m_words.prefix(location.paragraph));
    }
    const Span span = spanOf(unit, location);
    if (span.start >= end) {
        return std::nullopt;
    }
    return span;
}

QString DocxStory::text(qint64 start, qint64 end) const
{
    start = std::max<qint64>(start, 0);
    end = std::min(end, length());
    QString result;
    if (start >= end) {
        return result;
    }
    std::size_t slot = paragraphAt(start);
    qint64 position = paragraphStart(slot);
    if (end - position <= m_paragraphs[slot].text.size()) {
        // Inside one paragraph, as a word is.
        return m_paragraphs[slot].text.mid(start - position, end - start);
    }
    result.reserve(end - start);
    while (position < end) {
        const ParagraphText& text = m_paragraphs[slot].text;
        const qint64 from = std::max(start, position) - position;
        const qint64 to = std::min<qint64>(end - position, text.size());
        text.appendTo(result, from, to - from);
        position += text.size();
        const auto next = nextParagraph(slot);
        if (!next) {
            break;
        }
        slot = *next;
    }
    return result;
}

bool DocxStory::isPinned(std::size_t slot) const
{
    const Paragraph& paragraph = m_paragraphs[slot];
    if (paragraph.cellEnd || paragraph.splitsField || !nextParagraph(slot)) {
        return true;
    }
    const WordNames& n = *m_names;
    if (properties(paragraph.node).child(n.sectPr.c_str())) {
        return true;
    }
    // A table must be followed by a paragraph at the end of its container, and two tables are
    // kept apart by one; such a paragraph stays.
    auto contentSibling = [&](pugi::xml_node node, bool forward) {
        node = forward ? node.next_sibling() : node.previous_sibling();
        while (node && (node.type() != pugi::node_element || n.isMarker(node.name()) || n.sectPr == node.name())) {
            node = forward ? node.next_sibling() : node.previous_sibling();
        }
        return node;
    };
    const pugi::xml_node before = contentSibling(paragraph.node, false);
    const pugi::xml_node after = contentSibling(paragraph.node, true);
    return before && n.tbl == before.name() && (!after || n.tbl == after.name());
}

void DocxStory::deleteText(qint64 start, qint64 end)
{
    ensureOpen();
    start = std::max<qint64>(start, 0);
    end = std::min(end, length());
    if (start >= end) {
        return;
    }
    m_modified = true;
    const std::size_t first = paragraphAt(start);
    std::size_t slot = paragraphAt(end - 1);
    // From the end backwards, so the positions of what is still to be done do not move.
    while (true) {
        const qint64 paragraphBegin = paragraphStart(slot);
        const qint64 paragraphEnd = paragraphBegin + m_paragraphs[slot].text.size();
        const qint64 from = std::max(start, paragraphBegin);
        const qint64 to = std::min(end, paragraphEnd);
        const auto previous = previousParagraph(slot);
        if (from == paragraphBegin && to == paragraphEnd && !isPinned(slot)) {
            removeParagraph(slot);
        } else {
            const qint64 markStart = paragraphEnd - m_paragraphs[slot].markLength();
            if (from < std::min(to, markStart)) {
                deleteCharacters(slot, from - paragraphBegin, std::min(to, markStart) - paragraphBegin);
            }
            if (to == paragraphEnd && canJoinNext(slot)) {
                joinNext(slot);
            }
        }
        if (slot == first || !previous) {
            break;
        }
        slot = *previous;
    }
}

void DocxStory::insertText(qint64 position, const QString& text)
{
    ensureOpen();
    if (text.isEmpty()) {
        return; // as a replace-all with nothing asks, once for every match
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
    position = std::clamp<qint64>(position, 0, length());
    if (clean.isEmpty() || position == length()) {
        return;
    }
    m_modified = true;
    const std::size_t slot = paragraphAt(position);
    Paragraph& paragraph = m_paragraphs[slot];
    const qint64 start = paragraphStart(slot);
    const auto offset = quint32(std::min<qint64>(position - start, paragraph.text.size() - paragraph.markLength()));
    auto setPreserved = [](pugi::xml_node t, const QString& value) {
        t.text().set(value.toUtf8().constData());
        preserveSpaces(t);
    };
    // The text goes into the w:t that holds or ends at the position, else into a new w:t beside
    // the character element there, else into a new run at the paragraph's end.
    const qint64 oldLength = paragraph.text.size();
    std::size_t index = paragraph.pieces.firstEndingFrom(offset);
    const std::size_t neighbour = index;
    while (index < paragraph.pieces.size() && paragraph.pieces[index].offset <= offset &&
           !paragraph.pieces[index].isText) {
        ++index;
    }
    const bool inText =
        index < paragraph.pieces.size() && paragraph.pieces[index].offset <= offset && paragraph.pieces[index].isText;
    if (inText) {
        // Into the w:t in place: the paragraph's text, pieces and words follow without reading
        // the paragraph again.
        const Piece target = paragraph.pieces[index];
        insertCharacters(target.node, offset - target.offset, clean);
        paragraph.pieces.growPiece(index, clean.size());
        paragraph.text.insert(offset, clean);
        paragraph.positions.reset();
    } else {
        if (neighbour < paragraph.pieces.size()) {
            const Piece piece = paragraph.pieces[neighbour];
            pugi::xml_node element = piece.node;
            pugi::xml_node run = element.parent();
            pugi::xml_node t = piece.offset >= offset ? run.insert_child_before(m_names->t.c_str(), element)
                                                      : run.insert_child_after(m_names->t.c_str(), element);
            setPreserved(t, clean);
        } else {
            pugi::xml_node run = paragraph.node.append_child(m_names->r.c_str());
            setPreserved(run.append_child(m_names->t.c_str()), clean);
        }
        reread(slot);
    }
    textChanged(slot, oldLength, offset);
    const qint64 added = paragraph.text.size() - oldLength;
    m_ranges.textInserted(start + offset, added);
}

void DocxStory::removeParagraph(std::size_t slot)
{
    Paragraph& paragraph = m_paragraphs[slot];
    const qint64 start = paragraphStart(slot);
    const qint64 length = paragraph.text.size();
    logDeletion(slot, 0, paragraph.text.size());

    // Bookmarks, comment ranges and permissions move to where the paragraph stood: the start of
    // the paragraph that follows, so that none loses its partner.
    std::vector<pugi::xml_node> markers;
    pugi::xml_node node = paragraph.node.first_child();
    while (node) {
        if (node.type() == pugi::node_element && m_names->isMarker(node.name())) {
            markers.push_back(node);
        } else if (node.first_child()) {
            node = node.first_child();
            continue;
        }
        while (node && node != paragraph.node && !node.next_sibling()) {
            node = node.parent();
        }
        node = (node && node != paragraph.node) ? node.next_sibling() : pugi::xml_node();
    }
    if (!markers.empty()) {
        if (const auto next = nextParagraph(slot)) {
            pugi::xml_node target = m_paragraphs[*next].node;
            pugi::xml_node anchor = properties(target);
            for (pugi::xml_node marker : markers) {
                anchor = anchor ? target.insert_move_after(marker, anchor) : target.prepend_move(marker);
            }
        } else if (const auto previous = previousParagraph(slot)) {
            for (pugi::xml_node marker : markers) {
                m_paragraphs[*previous].node.append_move(marker);
            }
        }
    }
    paragraph.node.parent().remove_child(paragraph.node);
    retire(slot);
    moveRanges(start, start + length);
}

void DocxStory::retire(std::size_t slot)
{
    Paragraph& paragraph = m_paragraphs[slot];
    if (m_wordIndex) {
        m_words.add(slot, -m_words.value(slot));
    }
    addCharacters(slot, -m_characters.value(slot));
    m_live.add(slot, -1);
    paragraph.alive = false;
    paragraph.node = pugi::xml_node();
    paragraph.text = ParagraphText();
    paragraph.pieces = PieceList();
    paragraph.unitEnds = {};
    paragraph.positions.reset();
    paragraph.fieldsAtStart = {};
}

bool DocxStory::canJoinNext(std::size_t slot) const
{
    if (isPinned(slot)) {
        return false;
    }
    const auto next = nextParagraph(slot);
    if (!next) {
        return false;
    }
    // Only a paragraph that directly follows in the same container, and whose own properties
    // carry nothing that would be lost with its mark (a section break), joins this one.
    const WordNames& n = *m_names;
    const pugi::xml_node following = m_paragraphs[*next].node;
    pugi::xml_node between = m_paragraphs[slot].node.next_sibling();
    while (between && between != following && (between.type() != pugi::node_element || n.isMarker(between.name()))) {
        between = between.next_sibling();
    }
    return between == following && !properties(following).child(n.sectPr.c_str());
}

void DocxStory::joinNext(std::size_t slot)
{
    const std::size_t nextSlot = *nextParagraph(slot);
    const qint64 start = paragraphStart(slot);
    const qint64 firstLength = m_paragraphs[slot].text.size();
    const qint64 secondLength = m_paragraphs[nextSlot].text.size();
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
    joinElements(first.node, second.node, keepFirst);

    const qint64 keptUnits = m_wordIndex ? m_words.value(kept) : 0;
    const bool withUnits = !m_paragraphs[kept].unitEnds.empty();
    if (withUnits) {
        unitEnds(gone);
    }
    Paragraph joined;
    joined.node = keepFirst ? first.node : second.node;
    joined.text = ParagraphText::joined(std::move(first.text), std::move(second.text));
    joined.pieces = PieceList::joined(std::move(first.pieces), firstLength, std::move(second.pieces), secondLength);
    if (withUnits) {
        joined.unitEnds = UnitEnds::joined(std::move(first.unitEnds), std::move(second.unitEnds));
    }
    joined.fieldsAtStart = std::move(first.fieldsAtStart);
    joined.number = first.number;
    joined.cellEnd = second.cellEnd;
    // Neither paragraph's mark may go while the first one splits a field, so the second one's
    // text reads the same after the first's as by itself, and the two split what it splits.
    joined.splitsField = second.splitsField;

    // The slot that goes counts for nothing; the one that stays counts for both.
    retire(gone);
    m_paragraphs[kept] = std::move(joined);
    addCharacters(kept, keepFirst ? secondLength : firstLength);
    if (m_wordIndex) {
        m_words.add(kept, qint64(m_paragraphs[kept].unitEnds.size()) - keptUnits);
    }

    // Then the first one's mark goes, as any character does.
    Paragraph& paragraph = m_paragraphs[kept];
    const qint64 mark = firstLength - 1;
    paragraph.pieces.removeText(mark, mark + 1, [](const Piece&, qint64, qint64) { return true; });
    paragraph.text.remove(mark, 1);
    textChanged(kept, firstLength + secondLength, mark);
    // The find index lists the kept slot for its own words; the other paragraph's are new to it.
    if (keepFirst) {
        m_finder->indexWords(kept, mark, paragraph.text.size());
    } else {
        m_finder->indexWords(kept, 0, mark + 1);
    }
    moveRanges(start + mark, start + firstLength);
}

pugi::xml_node DocxStory::properties(pugi::xml_node paragraph) const
{
    // They come first, so a long paragraph's runs are not looked through for them.
    pugi::xml_node node = paragraph.first_child();
    while (node && node.type() != pugi::node_element) {
        node = node.next_sibling();
    }
    return node && m_names->pPr == node.name() ? node : pugi::xml_node();
}

void DocxStory::joinElements(pugi::xml_node first, pugi::xml_node second, bool intoFirst)
{
    std::vector<pugi::xml_node> between;
    for (pugi::xml_node node = first.next_sibling(); node && node != second; node = node.next_sibling()) {
        between.push_back(node);
    }
    // The second one's properties go.
    if (const pugi::xml_node secondProperties = properties(second)) {
        second.remove_child(secondProperties);
    }
    if (intoFirst) {
        for (const pugi::xml_node node : between) {
            first.append_move(node);
        }
        for (pugi::xml_node node = second.first_child(); node;) {
            const pugi::xml_node next = node.next_sibling();
            first.append_move(node);
            node = next;
        }
        second.parent().remove_child(second);
        return;
    }
    // Into the second element, in front of its content, which keeps the first one's attributes.
    const pugi::xml_node content = second.first_child();
    auto moveIn = [&](pugi::xml_node node) {
        if (content) {
            second.insert_move_before(node, content);
        } else {
            second.append_move(node);
        }
    };
    for (pugi::xml_node node = first.first_child(); node;) {
        const pugi::xml_node next = node.next_sibling();
        moveIn(node);
        node = next;
    }
    for (const pugi::xml_node node : between) {
        moveIn(node);
    }
    second.remove_attributes();
    for (const pugi::xml_attribute attribute : first.attributes()) {
        second.append_copy(attribute);
    }
    first.parent().remove_child(first);
}

void DocxStory::deleteCharacters(std::size_t slot, qint64 from, qint64 to)
{
    Paragraph& paragraph = m_paragraphs[slot];
    const qint64 start = paragraphStart(slot);
    const qint64 oldLength = paragraph.text.size();
    logDeletion(slot, from, to - from);

    // The pieces are in text order; only those overlapping [from, to) change in the XML. An
    // element whose every character goes is removed, and its run with it when that is left empty;
    // the other pieces, and the field structure, which no piece holds, stay as they were.
    paragraph.pieces.removeText(from, to, [this](const Piece& piece, qint64 low, qint64 high) {
        if (!piece.isText || (low == 0 && high == piece.length)) {
            removeFromRun(piece.node);
            return false;
        }
        removeCharacters(piece.node, low, high);
        return true;
    });
    const qint64 removed = to - from;
    if (paragraph.positions) {
        paragraph.positions->characters.remove(from, to);
    }
    const auto removal = unitRemoval(slot, from, to);
    paragraph.text.remove(from, removed);
    textChanged(slot, oldLength, from, removal);
    moveRanges(start + from, start + to);
}

std::optional<DocxStory::UnitRemoval> DocxStory::unitRemoval(std::size_t slot, qint64 from, qint64 to) const
{
    const Paragraph& paragraph = m_paragraphs[slot];
    const UnitEnds& ends = paragraph.unitEnds;
    const ParagraphText& text = paragraph.text;
    if (ends.empty()) {
        return std::nullopt;
    }
    const auto unit = ends.upperBound(from);
    if (unit >= ends.size()) {
        return std::nullopt;
    }
    const qint64 unitStart = unit > 0 ? ends[unit - 1] : 0;
    const qint64 unitEnd = ends[unit];
    if (unitStart != from || unitEnd < to || unitEnd >= text.size() || (from > 0 && text[from - 1] != u' ')) {
        return std::nullopt;
    }
    if (unitEnd == to) {
        // The whole unit goes: what follows keeps its boundaries when it is a mark that neither
        // joins a space nor depends on what comes before it.
        const char16_t next = text[to].unicode();
        const bool mark = next < 0x80 && next != u' ' && next != u'_' && !QChar::isLetterOrNumber(next);
        return mark ? std::optional(UnitRemoval{unit, false}) : std::nullopt;
    }
    for (qint64 i = to; i < unitEnd; ++i) {
        if (text[i] != u' ') {
            return std::nullopt;
        }
    }
    // What follows the spaces must be something that a space never joins.
    char32_t next = text[unitEnd].unicode();
    if (QChar::isHighSurrogate(next) && unitEnd + 1 < text.size() && text[unitEnd + 1].isLowSurrogate()) {
        next = QChar::surrogateToUcs4(char16_t(next), text[unitEnd + 1].unicode());
    }
    const int wordBreak = u_getIntPropertyValue(UChar32(next), UCHAR_WORD_BREAK);
    if (wordBreak == U_WB_EXTEND || wordBreak == U_WB_FORMAT || wordBreak == U_WB_ZWJ || wordBreak == U_WB_WSEGSPACE) {
        return std::nullopt;
    }
    return UnitRemoval{unit, true};
}

namespace {

/// Whether the first count bytes of text are all ASCII, looked at eight at a time.
bool isAscii(const char* text, std::size_t count)
{
    constexpr quint64 highBits = 0x8080808080808080ULL;
    std::size_t i = 0;
    for (; i + 8 <= count; i += 8) {
        quint64 eight;
        std::memcpy(&eight, text + i, 8);
        if (eight & highBits) {
            return false;
        }
    }
    for (; i < count; ++i) {
        if (static_cast<unsigned char>(text[i]) >= 0x80) {
            return false;
        }
    }
    return true;
}

} // namespace

void DocxStory::removeCharacters(pugi::xml_node textElement, qint64 from, qint64 to)
{
    pugi::xml_text content = textElement.text();
    const char* utf8 = content.get();
    const std::size_t bytes = std::strlen(utf8);
    bool spaceAtEdge = false;
    if (isAscii(utf8, std::min(bytes, std::size_t(to)))) {
        // One byte per character up to the end of the cut: the offsets are byte offsets.
        std::string& value = m_newValue;
        value.assign(utf8, std::size_t(from));
        value.append(utf8 + to, bytes - std::size_t(to));
        spaceAtEdge = value.front() == ' ' || value.back() == ' ';
        content.set(value.c_str());
    } else {
        QString value = QString::fromUtf8(utf8, qsizetype(bytes));
        value.remove(from, to - from);
        spaceAtEdge = value.startsWith(QLatin1Char(' ')) || value.endsWith(QLatin1Char(' '));
        content.set(value.toUtf8().constData());
    }
    if (spaceAtEdge) {
        preserveSpaces(textElement);
    }
}

void DocxStory::logDeletion(std::size_t slot, qint64 offset, qint64 length)
{
    m_deletionLog.add(m_paragraphs[slot].number, m_paragraphs[slot].text, offset, length);
}

std::vector<DocxStory::Deletion> DocxStory::deletions() const
{
    return m_deletionLog.entries();
}

void DocxStory::insertCharacters(pugi::xml_node textElement, qint64 at, const QString& text)
{
    pugi::xml_text content = textElement.text();
    QString value = QString::fromUtf8(content.get());
    value.insert(at, text);
    content.set(value.toUtf8().constData());
    preserveSpaces(textElement);
}

void DocxStory::removeFromRun(pugi::xml_node node)
{
    pugi::xml_node run = node.parent();
    run.remove_child(node);
    if (m_names->r != run.name()) {
        return;
    }
    for (pugi::xml_node child = run.first_child(); child; child = child.next_sibling()) {
        if (child.type() == pugi::node_element && m_names->rPr != child.name()) {
            return;
        }
    }
    run.parent().remove_child(run);
}

void DocxStory::reread(std::size_t slot)
{
    std::vector<bool> fields;
    ParagraphReader(*m_names).read(m_paragraphs[slot], fields);
}

void DocxStory::textChanged(std::size_t slot, qint64 oldLength, qint64 changeAt, std::optional<UnitRemoval> removal)
{
    Paragraph& paragraph = m_paragraphs[slot];
    const qint64 newLength = paragraph.text.size();
    const qint64 delta = newLength - oldLength;
    addCharacters(slot, delta);
    const auto oldUnits = qint64(paragraph.unitEnds.size());
    // Index the units around the change only: everywhere else the text, and so its words, is as
    // it was, and the index already lists this paragraph for them.
    qint64 indexFrom = 0;
    qint64 indexTo = newLength;
    if (removal && removal->leavesSpaces) {
        // The spaces left behind join the unit before, or stand alone at the paragraph's start.
        const std::size_t unit = removal->unit;
        const std::size_t first = unit > 0 ? unit - 1 : 0;
        const auto spacesEnd = quint32(qint64(paragraph.unitEnds[unit]) + delta);
        paragraph.unitEnds.splice(first, unit + 1, std::span(&spacesEnd, 1), newLength);
        indexFrom = first > 0 ? paragraph.unitEnds[first - 1] : 0;
        indexTo = spacesEnd;
    } else if (removal) {
        // The unit is gone and no other changed: there is no new word to index.
        paragraph.unitEnds.splice(removal->unit, removal->unit + 1, {}, newLength);
        indexFrom = indexTo = changeAt;
    } else if (!paragraph.unitEnds.empty() && oldLength > longParagraph) {
        // Word boundaries depend on a few characters around them, so in a long paragraph only a
        // window of units around the change is segmented again and spliced into the rest.
        const UnitEnds& old = paragraph.unitEnds;
        const qint64 changeEnd = changeAt + std::max<qint64>(-delta, 0);
        const auto first = old.upperBound(changeAt);
        const auto last = old.upperBound(changeEnd);
        const std::size_t keepBefore = first >= windowUnits ? first - windowUnits + 1 : 0;
        const std::size_t keepFrom = std::min(last + windowUnits, old.size() - 1) + 1;
        const qint64 left = keepBefore > 0 ? old[keepBefore - 1] : 0;
        const qint64 right = qint64(old[keepFrom - 1]) + delta;
        std::vector<quint32> window = m_segmenter.unitEnds(paragraph.text.mid(left, right - left));
        for (quint32& end : window) {
            end = quint32(left + end);
        }
        paragraph.unitEnds.splice(keepBefore, keepFrom, window, newLength);
        indexFrom = left;
        indexTo = right;
    } else {
        paragraph.unitEnds = UnitEnds();
    }
    if (m_wordIndex) {
        m_words.add(slot, qint64(unitEnds(slot).size()) - oldUnits);
    }
    m_finder->wordsChanged(slot, indexFrom, indexTo);
}

void DocxStory::moveRanges(qint64 from, qint64 to)
{
    m_ranges.textRemoved(from, to);
}

void DocxStory::registerRange(DocxRange* range)
{
    m_ranges.add(range);
}

void DocxStory::unregisterRange(DocxRange* range)
{
    m_ranges.remove(range);
}

std::vector<DocxStory::Span> DocxStory::findMatches(qint64 start, qint64 end, const QString& needle, bool wholeWord)
{
    return m_finder->findMatches(start, end, needle, wholeWord);
}

Package DocxStory::package() const
{
    Package result = m_package;
    result.setData(m_mainPart, xmlBytes(m_xml, m_xmlBuffer.size() + m_xmlBuffer.size() / 8));
    return result;
}

std::vector<DocxStory::FormattedParagraph> DocxStory::formattedParagraphs() const
{
    return FormattedView::of(m_paragraphs, *m_names);
}

} // namespace quillsift::docx
