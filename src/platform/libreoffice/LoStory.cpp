// SPDX-License-Identifier: GPL-3.0-or-later
#include "LoStory.h"

#include "LoRange.h"
#include "UnoProperties.h"

#include "engine/HostError.h"
#include "text/CaseFolding.h"

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XContentEnumerationAccess.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/document/XDocumentInsertable.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/text/TextContentAnchorType.hpp>
#include <com/sun/star/text/XTextCursor.hpp>
#include <com/sun/star/text/XTextTable.hpp>
#include <com/sun/star/uno/Exception.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/util/XModifiable.hpp>

#include <QFileInfo>
#include <QUrl>

#include <algorithm>
#include <limits>

namespace quillsift::libreoffice {

using css::uno::Reference;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;
using engine::HostError;
using engine::Unit;

namespace {

/// Whether a frame portion is a picture or object that stands in the text as one character.
bool isCharacterFrame(const Reference<css::text::XTextRange>& portion)
{
    const Reference<css::container::XContentEnumerationAccess> access(portion, UNO_QUERY);
    if (!access.is()) {
        return false;
    }
    const Reference<css::container::XEnumeration> contents =
        access->createContentEnumeration(ascii("com.sun.star.text.TextContent"));
    while (contents.is() && contents->hasMoreElements()) {
        const Reference<css::beans::XPropertySet> properties(contents->nextElement(), UNO_QUERY);
        css::text::TextContentAnchorType anchor = css::text::TextContentAnchorType_AT_PARAGRAPH;
        if (properties.is() && (properties->getPropertyValue(ascii("AnchorType")) >>= anchor) &&
            anchor == css::text::TextContentAnchorType_AS_CHARACTER) {
            return true;
        }
    }
    return false;
}

/// Moves cursor right by count of LibreOffice's steps; one call moves at most 32,767.
void goRight(const Reference<css::text::XTextCursor>& cursor, qint64 count, bool expand)
{
    while (count > 0) {
        const auto step = sal_Int16(std::min<qint64>(count, std::numeric_limits<sal_Int16>::max()));
        cursor->goRight(step, expand);
        count -= step;
    }
}

} // namespace

LoStory::LoStory(QString fileName, Reference<css::text::XTextDocument> document,
                 Reference<css::frame::XComponentLoader> loader)
    : m_fileName(std::move(fileName))
    , m_document(std::move(document))
    , m_loader(std::move(loader))
{
    load();
}

LoStory::~LoStory() = default;

void LoStory::fail(const QString& what) const
{
    throw HostError(m_fileName, what);
}

void LoStory::ensureOpen() const
{
    if (m_closed) {
        fail(QStringLiteral("the document has been closed"));
    }
}

void LoStory::markClosed()
{
    m_closed = true;
    m_paragraphs.clear();
    m_characters = text::FenwickTree();
    m_live = text::FenwickTree();
}

void LoStory::reload()
{
    load();
    for (LoRange* range : m_ranges) {
        range->collapseToStart();
    }
}

bool LoStory::openAsTemplate(const QString& path)
{
    if (!m_loader.is()) {
        return false;
    }
    Reference<css::lang::XComponent> component;
    try {
        constexpr sal_Int16 neverExecute = 0; // css::document::MacroExecMode::NEVER_EXECUTE
        component = m_loader->loadComponentFromURL(
            toOUString(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString()), ascii("_blank"), 0,
            properties({property("Hidden", css::uno::Any(true)), property("AsTemplate", css::uno::Any(true)),
                        property("MacroExecutionMode", css::uno::Any(neverExecute))}));
    } catch (const css::lang::DisposedException&) {
        throw;
    } catch (const css::uno::Exception&) {
        return false;
    }
    const Reference<css::text::XTextDocument> copy(component, UNO_QUERY);
    if (!copy.is()) {
        if (const Reference<css::util::XCloseable> closeable{component, UNO_QUERY}; closeable.is()) {
            closeable->close(true);
        }
        return false;
    }
    // The empty document made for the copy gives way to the copy itself, which, like any
    // document made by a run, is not saved yet.
    if (const Reference<css::util::XCloseable> empty{m_document, UNO_QUERY}; empty.is()) {
        try {
            empty->close(true);
        } catch (const css::uno::Exception&) {
        }
    }
    m_document = copy;
    if (const Reference<css::util::XModifiable> modifiable{copy, UNO_QUERY}; modifiable.is()) {
        modifiable->setModified(true);
    }
    return true;
}

void LoStory::insertFile(const QString& path)
{
    ensureOpen();
    try {
        if (openAsTemplate(path)) {
            reload();
            return;
        }
        const Reference<css::text::XText> body = m_document->getText();
        const Reference<css::text::XTextCursor> cursor = body->createTextCursor();
        cursor->gotoStart(false);
        cursor->gotoEnd(true);
        cursor->setString(rtl::OUString());
        const Reference<css::document::XDocumentInsertable> insertable(cursor, UNO_QUERY_THROW);
        insertable->insertDocumentFromURL(
            toOUString(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString()), {});
    } catch (const css::lang::DisposedException&) {
        fail(QStringLiteral("LibreOffice stopped answering"));
    } catch (const css::uno::Exception& error) {
        throw HostError(path,
                        QStringLiteral("LibreOffice could not copy the document (%1)").arg(toQString(error.Message)));
    }
    reload();
}

void LoStory::load()
{
    m_paragraphs.clear();
    try {
        // No view of this document needs to follow its edits: the copies reach the user's
        // LibreOffice as files.
        if (const Reference<css::frame::XModel> model{m_document, UNO_QUERY};
            model.is() && !model->hasControllersLocked()) {
            model->lockControllers();
        }
        collect(m_document->getText(), false);
        for (Paragraph& paragraph : m_paragraphs) {
            if (!readParagraph(paragraph)) {
                fail(QStringLiteral("LibreOffice changed the document while it was being read"));
            }
        }
    } catch (const css::lang::DisposedException&) {
        fail(QStringLiteral("LibreOffice stopped answering"));
    } catch (const css::uno::Exception& error) {
        fail(QStringLiteral("LibreOffice could not read the document (%1)").arg(toQString(error.Message)));
    }
    std::vector<qint64> lengths;
    std::vector<qint64> live;
    lengths.reserve(m_paragraphs.size());
    for (const Paragraph& paragraph : m_paragraphs) {
        lengths.push_back(paragraph.text.size());
        live.push_back(1);
    }
    m_characters = text::FenwickTree(lengths);
    m_live = text::FenwickTree(live);
}

void LoStory::collect(const Reference<css::text::XText>& container, bool inCell)
{
    const Reference<css::container::XEnumerationAccess> access(container, UNO_QUERY_THROW);
    const Reference<css::container::XEnumeration> elements = access->createEnumeration();
    constexpr std::size_t none = std::numeric_limits<std::size_t>::max();
    std::size_t lastParagraph = none;
    while (elements->hasMoreElements()) {
        const css::uno::Any element = elements->nextElement();
        const Reference<css::lang::XServiceInfo> info(element, UNO_QUERY);
        if (!info.is()) {
            continue;
        }
        if (info->supportsService(ascii("com.sun.star.text.Paragraph"))) {
            Paragraph paragraph;
            paragraph.range.set(element, UNO_QUERY_THROW);
            paragraph.container = container;
            lastParagraph = m_paragraphs.size();
            m_paragraphs.push_back(std::move(paragraph));
            continue;
        }
        const Reference<css::text::XTextTable> table(element, UNO_QUERY);
        if (!table.is()) {
            continue;
        }
        // Writer cannot join a paragraph with the table after it.
        if (lastParagraph != none) {
            m_paragraphs[lastParagraph].pinned = true;
        }
        lastParagraph = none;
        const css::uno::Sequence<rtl::OUString> names = table->getCellNames();
        for (const rtl::OUString& name : names) {
            const Reference<css::text::XText> cell(table->getCellByName(name), UNO_QUERY);
            if (cell.is()) {
                collect(cell, true);
            }
        }
    }
    if (lastParagraph != none) {
        m_paragraphs[lastParagraph].pinned = true;
        m_paragraphs[lastParagraph].endOfCell = inCell;
    }
}

bool LoStory::readParagraph(Paragraph& paragraph)
{
    QString text;
    std::vector<qint32> steps;
    qint32 step = 0;
    int fieldCode = 0;
    bool deletedText = false;
    const auto add = [&](QChar character, qint32 at) {
        text.append(character);
        steps.push_back(at);
    };
    try {
        const Reference<css::container::XEnumerationAccess> access(paragraph.range, UNO_QUERY_THROW);
        const Reference<css::container::XEnumeration> portions = access->createEnumeration();
        while (portions->hasMoreElements()) {
            const Reference<css::text::XTextRange> portion(portions->nextElement(), UNO_QUERY);
            const Reference<css::beans::XPropertySet> properties(portion, UNO_QUERY);
            if (!portion.is() || !properties.is()) {
                continue;
            }
            rtl::OUString type;
            properties->getPropertyValue(ascii("TextPortionType")) >>= type;
            if (type == "Text") {
                const QString part = toQString(portion->getString());
                for (qsizetype i = 0; i < part.size(); ++i) {
                    const QChar character = part.at(i);
                    if (fieldCode == 0 && !deletedText) {
                        // Writer's line break is a line feed; Word's is character 11.
                        add(character == QLatin1Char('\n') ? QChar(engine::chars::LineBreak) : character, step);
                    }
                    // A surrogate pair is one step of the cursor.
                    if (!character.isHighSurrogate()) {
                        ++step;
                    }
                }
            } else if (type == "TextField") {
                // A field reads as its result and is one step of the cursor.
                const QString result = toQString(portion->getString());
                for (const QChar character : result) {
                    add(character, step);
                }
                ++step;
            } else if (type == "Footnote") {
                add(QChar(engine::chars::NoteReference), step);
                ++step;
            } else if (type == "Frame") {
                // Every picture or object anchored here counts, so the paragraph is never removed
                // with it; only one anchored as a character is a step of the cursor.
                add(QChar(engine::chars::Object), step);
                if (isCharacterFrame(portion)) {
                    ++step;
                }
            } else if (type == "Redline") {
                // Text a tracked change deleted is still in Writer's paragraph, but not text.
                rtl::OUString redline;
                bool opens = false;
                properties->getPropertyValue(ascii("RedlineType")) >>= redline;
                properties->getPropertyValue(ascii("IsStart")) >>= opens;
                if (redline == "Delete") {
                    deletedText = opens;
                }
            } else if (type == "TextFieldStart") {
                // Between the start and the separator of a field mark stands its code, not text.
                ++fieldCode;
                ++step;
            } else if (type == "TextFieldSeparator") {
                fieldCode = std::max(0, fieldCode - 1);
                ++step;
            } else if (type == "TextFieldEnd" || type == "Annotation") {
                ++step;
            }
            // Bookmarks, reference marks, redline and soft page break portions hold no characters.
        }
    } catch (const css::lang::DisposedException&) {
        throw;
    } catch (const css::uno::RuntimeException&) {
        // A paragraph that a join removed reports that it has no text node any more.
        return false;
    }
    steps.push_back(step);
    bool identity = true;
    for (std::size_t i = 0; i < steps.size() && identity; ++i) {
        identity = steps[i] == qint32(i);
    }
    if (identity) {
        steps.clear();
    }
    text.append(QChar(engine::chars::ParagraphMark));
    if (paragraph.endOfCell) {
        text.append(QChar(engine::chars::EndOfCell));
    }
    paragraph.text = std::move(text);
    paragraph.cursorSteps = std::move(steps);
    paragraph.unitEnds.clear();
    return true;
}

qint64 LoStory::length() const
{
    return m_characters.total();
}

qint64 LoStory::markLength(const Paragraph& paragraph) const
{
    return paragraph.endOfCell ? 2 : 1;
}

std::size_t LoStory::paragraphAt(qint64 position) const
{
    return m_characters.slotAfter(position);
}

qint64 LoStory::paragraphStart(std::size_t slot) const
{
    return m_characters.prefix(slot);
}

void LoStory::setLength(std::size_t slot, qint64 length)
{
    const qint64 old = m_characters.prefix(slot + 1) - m_characters.prefix(slot);
    m_characters.add(slot, length - old);
}

const std::vector<quint32>& LoStory::unitEnds(std::size_t slot)
{
    Paragraph& paragraph = m_paragraphs[slot];
    if (paragraph.unitEnds.empty() && paragraph.alive) {
        paragraph.unitEnds = m_segmenter.unitEnds(paragraph.text);
    }
    return paragraph.unitEnds;
}

qint32 LoStory::cursorStep(const Paragraph& paragraph, qint64 offset) const
{
    if (paragraph.cursorSteps.empty()) {
        return qint32(offset);
    }
    return paragraph.cursorSteps[std::min<std::size_t>(std::size_t(offset), paragraph.cursorSteps.size() - 1)];
}

QString LoStory::text(qint64 start, qint64 end) const
{
    ensureOpen();
    start = std::max<qint64>(start, 0);
    end = std::min(end, length());
    QString result;
    for (qint64 position = start; position < end;) {
        const std::size_t slot = paragraphAt(position);
        const qint64 begin = paragraphStart(slot);
        const QString& text = m_paragraphs[slot].text;
        const qint64 from = position - begin;
        const qint64 to = std::min<qint64>(text.size(), end - begin);
        result.append(QStringView(text).mid(from, to - from));
        position = begin + to;
    }
    return result;
}

std::optional<LoStory::Span> LoStory::unitAt(Unit unit, qint64 position)
{
    ensureOpen();
    if (position < 0 || position >= length()) {
        return std::nullopt;
    }
    const std::size_t slot = paragraphAt(position);
    const qint64 begin = paragraphStart(slot);
    if (unit == Unit::Paragraph) {
        return Span{begin, begin + m_paragraphs[slot].text.size()};
    }
    const auto& ends = unitEnds(slot);
    const auto index =
        std::size_t(std::upper_bound(ends.begin(), ends.end(), quint32(position - begin)) - ends.begin());
    if (index >= ends.size()) {
        return std::nullopt;
    }
    return Span{begin + (index > 0 ? ends[index - 1] : 0), begin + ends[index]};
}

std::optional<LoStory::Span> LoStory::nextUnit(Unit unit, qint64 start, qint64 end)
{
    if (end > start) {
        const auto at = unitAt(unit, end);
        if (!at || at->start == end) {
            return at;
        }
        return unitAt(unit, at->end);
    }
    const auto containing = unitAt(unit, start);
    return containing ? unitAt(unit, containing->end) : std::nullopt;
}

std::optional<LoStory::Span> LoStory::previousUnit(Unit unit, qint64 start)
{
    if (start <= 0) {
        return std::nullopt;
    }
    const auto before = unitAt(unit, std::min(start, length()) - 1);
    if (!before) {
        return std::nullopt;
    }
    if (before->end <= start) {
        return before;
    }
    return before->start > 0 ? unitAt(unit, before->start - 1) : std::nullopt;
}

qint64 LoStory::countUnits(Unit unit, qint64 start, qint64 end)
{
    ensureOpen();
    end = std::min(end, length());
    if (end <= start) {
        return unitAt(unit, start) ? 1 : 0;
    }
    const std::size_t first = paragraphAt(start);
    const std::size_t last = paragraphAt(end - 1);
    if (unit == Unit::Paragraph) {
        return m_live.prefix(last + 1) - m_live.prefix(first);
    }
    qint64 count = 0;
    for (std::size_t slot = first; slot <= last; ++slot) {
        if (!m_paragraphs[slot].alive) {
            continue;
        }
        const qint64 begin = paragraphStart(slot);
        const auto& ends = unitEnds(slot);
        for (std::size_t i = 0; i < ends.size(); ++i) {
            const qint64 unitStart = begin + (i > 0 ? ends[i - 1] : 0);
            const qint64 unitEnd = begin + ends[i];
            if (unitEnd > start && unitStart < end) {
                ++count;
            }
        }
    }
    return count;
}

std::optional<LoStory::Span> LoStory::unitByIndex(Unit unit, qint64 start, qint64 end, qint64 index)
{
    if (index < 1) {
        return std::nullopt;
    }
    auto span = unitAt(unit, start);
    for (qint64 i = 1; span && i < index; ++i) {
        span = unitAt(unit, span->end);
    }
    if (span && end > start && span->start >= end) {
        return std::nullopt;
    }
    return span;
}

std::optional<std::size_t> LoStory::nextAliveSlot(std::size_t slot) const
{
    for (std::size_t next = slot + 1; next < m_paragraphs.size(); ++next) {
        if (m_paragraphs[next].alive) {
            return next;
        }
    }
    return std::nullopt;
}

void LoStory::deleteText(qint64 start, qint64 end)
{
    ensureOpen();
    start = std::max<qint64>(start, 0);
    end = std::min(end, length());
    if (start >= end) {
        return;
    }
    // From the last paragraph back, so that the positions of those before stay as they were.
    const std::size_t first = paragraphAt(start);
    const std::size_t last = paragraphAt(end - 1);
    try {
        for (std::size_t slot = last + 1; slot-- > first;) {
            if (!m_paragraphs[slot].alive) {
                continue;
            }
            const qint64 begin = paragraphStart(slot);
            const qint64 size = m_paragraphs[slot].text.size();
            const qint64 from = std::max(start, begin) - begin;
            const qint64 to = std::min(end, begin + size) - begin;
            if (from < to) {
                deleteInParagraph(slot, from, to);
            }
        }
    } catch (const css::lang::DisposedException&) {
        fail(QStringLiteral("LibreOffice stopped answering"));
    } catch (const css::uno::Exception& error) {
        fail(QStringLiteral("LibreOffice could not delete text (%1)").arg(toQString(error.Message)));
    }
}

void LoStory::deleteInParagraph(std::size_t slot, qint64 from, qint64 to)
{
    Paragraph& paragraph = m_paragraphs[slot];
    const qint64 begin = paragraphStart(slot);
    const qint64 oldLength = paragraph.text.size();
    const qint64 content = oldLength - markLength(paragraph);
    const bool withMark = to > content;
    const auto next = nextAliveSlot(slot);

    const Reference<css::text::XTextCursor> cursor =
        paragraph.container->createTextCursorByRange(paragraph.range->getStart());
    goRight(cursor, cursorStep(paragraph, std::min(from, content)), false);

    if (withMark && !paragraph.pinned && next) {
        // The mark goes: the paragraph and the one after it become one.
        Paragraph& following = m_paragraphs[*next];
        cursor->gotoRange(following.range->getStart(), true);
        cursor->setString(rtl::OUString());
        const bool keptThis = readParagraph(paragraph);
        const bool keptFollowing = readParagraph(following);
        if (keptThis && !keptFollowing) {
            paragraph.endOfCell = following.endOfCell;
            paragraph.pinned = following.pinned;
            following.alive = false;
            if (paragraph.endOfCell) {
                readParagraph(paragraph);
            }
        } else if (!keptThis) {
            paragraph.alive = false;
        }
        for (const std::size_t changed : {slot, *next}) {
            Paragraph& which = m_paragraphs[changed];
            setLength(changed, which.alive ? which.text.size() : 0);
            if (!which.alive) {
                m_live.add(changed, -1);
                which.text.clear();
                which.range.clear();
            }
        }
        moveRanges(begin + from, begin + oldLength);
        return;
    }

    // The mark stays; only characters before it go.
    const qint64 contentTo = std::min(to, content);
    if (from >= contentTo) {
        return;
    }
    goRight(cursor, cursorStep(paragraph, contentTo) - cursorStep(paragraph, from), true);
    cursor->setString(rtl::OUString());
    QString expected = paragraph.text;
    expected.remove(from, contentTo - from);
    if (paragraph.cursorSteps.empty()) {
        // Plain text, one cursor step per character: Writer removed exactly these characters,
        // and a word-by-word removal does not pay for reading the paragraph back each time.
        paragraph.text = std::move(expected);
        paragraph.unitEnds.clear();
    } else {
        if (!readParagraph(paragraph)) {
            fail(QStringLiteral("LibreOffice removed a paragraph it was asked to keep"));
        }
        // Writer keeps some things whole (a field, an object): a deletion that did not take
        // effect as asked is an error, or a removal would ask for it again and again.
        if (paragraph.text != expected) {
            setLength(slot, paragraph.text.size());
            fail(QStringLiteral("LibreOffice could not delete text next to a field or object in a paragraph"));
        }
    }
    setLength(slot, paragraph.text.size());
    moveRanges(begin + from, begin + contentTo);
}

void LoStory::moveRanges(qint64 from, qint64 to)
{
    for (LoRange* range : m_ranges) {
        range->textRemoved(from, to);
    }
}

bool LoStory::isWholeWord(std::size_t slot, qint64 from, qint64 to)
{
    const auto& ends = unitEnds(slot);
    if (from > 0 && !std::binary_search(ends.begin(), ends.end(), quint32(from))) {
        return false;
    }
    const auto last = std::size_t(std::upper_bound(ends.begin(), ends.end(), quint32(to - 1)) - ends.begin());
    if (last >= ends.size()) {
        return false;
    }
    const QString& text = m_paragraphs[slot].text;
    const qint64 unitStart = last > 0 ? ends[last - 1] : 0;
    qint64 coreEnd = ends[last];
    while (coreEnd > unitStart && text[coreEnd - 1] == QLatin1Char(' ')) {
        --coreEnd;
    }
    if (coreEnd == unitStart) {
        coreEnd = ends[last];
    }
    return to == coreEnd;
}

bool LoStory::isDeletable(const Paragraph& paragraph, qint64 from, qint64 to) const
{
    if (paragraph.cursorSteps.empty()) {
        return true;
    }
    // Each end must fall between two of Writer's cursor steps: the characters of a field's
    // result all lie on one step, and Writer deletes the field whole or not at all.
    const qint64 content = paragraph.text.size() - markLength(paragraph);
    const auto betweenSteps = [&](qint64 offset) {
        return offset <= 0 || offset >= content || cursorStep(paragraph, offset) != cursorStep(paragraph, offset - 1);
    };
    return betweenSteps(from) && betweenSteps(to);
}

std::vector<LoStory::Span> LoStory::findMatches(qint64 start, qint64 end, const QString& needle, bool wholeWord)
{
    ensureOpen();
    std::vector<Span> matches;
    start = std::max<qint64>(start, 0);
    end = std::min(end, length());
    const QString foldedNeedle = text::foldCase(needle);
    if (foldedNeedle.isEmpty() || start >= end) {
        return matches;
    }
    const std::size_t first = paragraphAt(start);
    const std::size_t last = paragraphAt(end - 1);
    for (std::size_t slot = first; slot <= last; ++slot) {
        if (!m_paragraphs[slot].alive) {
            continue;
        }
        const QString& text = m_paragraphs[slot].text;
        const qint64 begin = paragraphStart(slot);
        const qint64 from = std::max(start, begin) - begin;
        const qint64 to = std::min<qint64>(end - begin, text.size());
        QString folded;
        std::vector<qint32> origins;
        text::foldWithOrigins(QStringView(text).mid(from, to - from), folded, origins);
        qsizetype position = 0;
        while (true) {
            const qsizetype found = folded.indexOf(foldedNeedle, position);
            if (found < 0) {
                break;
            }
            const qsizetype foundEnd = found + foldedNeedle.size();
            const qint32 matchStart = origins[std::size_t(found)];
            const qint32 matchEnd = origins[std::size_t(foundEnd)];
            if (matchStart < 0 || matchEnd < 0 ||
                (wholeWord && !isWholeWord(slot, from + matchStart, from + matchEnd)) ||
                !isDeletable(m_paragraphs[slot], from + matchStart, from + matchEnd)) {
                position = found + 1;
                continue;
            }
            matches.push_back({begin + from + matchStart, begin + from + matchEnd});
            position = foundEnd;
        }
    }
    return matches;
}

void LoStory::registerRange(LoRange* range)
{
    m_ranges.insert(range);
}

void LoStory::unregisterRange(LoRange* range)
{
    m_ranges.erase(range);
}

} // namespace quillsift::libreoffice
