// SPDX-License-Identifier: GPL-3.0-or-later
#include "LoStory.h"

#include "LoBodyReader.h"
#include "LoRange.h"
#include "UnoProperties.h"

#include "engine/HostError.h"
#include "text/CaseFolding.h"

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/document/XDocumentInsertable.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/text/XTextCursor.hpp>
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
    m_index = text::ParagraphIndex();
    m_navigation.reset();
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
        LoBodyReader::collect(m_document->getText(), false, m_paragraphs);
        for (Paragraph& paragraph : m_paragraphs) {
            if (!LoBodyReader::read(paragraph)) {
                fail(QStringLiteral("LibreOffice changed the document while it was being read"));
            }
        }
    } catch (const css::lang::DisposedException&) {
        fail(QStringLiteral("LibreOffice stopped answering"));
    } catch (const css::uno::Exception& error) {
        fail(QStringLiteral("LibreOffice could not read the document (%1)").arg(toQString(error.Message)));
    }
    std::vector<qint64> lengths;
    lengths.reserve(m_paragraphs.size());
    for (const Paragraph& paragraph : m_paragraphs) {
        lengths.push_back(paragraph.text.size());
    }
    m_index = text::ParagraphIndex(lengths);
    m_navigation.reset();
}

qint64 LoStory::markLength(const Paragraph& paragraph) const
{
    return paragraph.endOfCell ? 2 : 1;
}

void LoStory::setLength(std::size_t slot, qint64 length)
{
    m_index.addCharacters(slot, length - m_index.paragraphLength(slot));
    m_navigation.unitsChanged(slot);
}

const std::vector<quint32>& LoStory::Words::unitEnds(std::size_t slot)
{
    Paragraph& paragraph = m_paragraphs[slot];
    if (paragraph.unitEnds.empty() && paragraph.alive) {
        paragraph.unitEnds = m_segmenter.unitEnds(paragraph.text);
    }
    return paragraph.unitEnds;
}

void LoStory::Words::segmentAll()
{
    for (std::size_t slot = 0; slot < m_paragraphs.size(); ++slot) {
        unitEnds(slot);
    }
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
    end = std::min(end, m_index.length());
    QString result;
    for (qint64 position = start; position < end;) {
        const std::size_t slot = m_index.paragraphAt(position);
        const qint64 begin = m_index.paragraphStart(slot);
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
    return m_navigation.unitAt(unit, position);
}

std::optional<LoStory::Span> LoStory::nextUnit(Unit unit, qint64 start, qint64 end)
{
    ensureOpen();
    return m_navigation.nextUnit(unit, start, end);
}

std::optional<LoStory::Span> LoStory::previousUnit(Unit unit, qint64 start)
{
    ensureOpen();
    return m_navigation.previousUnit(unit, start);
}

qint64 LoStory::countUnits(Unit unit, qint64 start, qint64 end)
{
    ensureOpen();
    return m_navigation.countUnits(unit, start, end);
}

std::optional<LoStory::Span> LoStory::unitByIndex(Unit unit, qint64 start, qint64 end, qint64 index)
{
    ensureOpen();
    return m_navigation.unitByIndex(unit, start, end, index);
}

void LoStory::deleteText(qint64 start, qint64 end)
{
    ensureOpen();
    start = std::max<qint64>(start, 0);
    end = std::min(end, m_index.length());
    if (start >= end) {
        return;
    }
    // From the last paragraph back, so that the positions of those before stay as they were.
    const std::size_t first = m_index.paragraphAt(start);
    const std::size_t last = m_index.paragraphAt(end - 1);
    try {
        for (std::size_t slot = last + 1; slot-- > first;) {
            if (!m_paragraphs[slot].alive) {
                continue;
            }
            const qint64 begin = m_index.paragraphStart(slot);
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
    const qint64 begin = m_index.paragraphStart(slot);
    const qint64 oldLength = paragraph.text.size();
    const qint64 content = oldLength - markLength(paragraph);
    const bool withMark = to > content;
    const auto next = m_index.next(slot);

    const Reference<css::text::XTextCursor> cursor =
        paragraph.container->createTextCursorByRange(paragraph.range->getStart());
    goRight(cursor, cursorStep(paragraph, std::min(from, content)), false);

    if (withMark && !paragraph.pinned && next) {
        // The mark goes: the paragraph and the one after it become one.
        Paragraph& following = m_paragraphs[*next];
        cursor->gotoRange(following.range->getStart(), true);
        cursor->setString(rtl::OUString());
        const bool keptThis = LoBodyReader::read(paragraph);
        const bool keptFollowing = LoBodyReader::read(following);
        if (keptThis && !keptFollowing) {
            paragraph.endOfCell = following.endOfCell;
            paragraph.pinned = following.pinned;
            following.alive = false;
            if (paragraph.endOfCell) {
                LoBodyReader::read(paragraph);
            }
        } else if (!keptThis) {
            paragraph.alive = false;
        }
        for (const std::size_t changed : {slot, *next}) {
            Paragraph& which = m_paragraphs[changed];
            if (which.alive) {
                setLength(changed, which.text.size());
            } else {
                m_index.retire(changed);
                which.text.clear();
                which.range.clear();
                which.unitEnds.clear();
                m_navigation.unitsChanged(changed);
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
        if (!LoBodyReader::read(paragraph)) {
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
    const auto& ends = m_words.unitEnds(slot);
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
    end = std::min(end, m_index.length());
    const QString foldedNeedle = text::foldCase(needle);
    if (foldedNeedle.isEmpty() || start >= end) {
        return matches;
    }
    const std::size_t first = m_index.paragraphAt(start);
    const std::size_t last = m_index.paragraphAt(end - 1);
    for (std::size_t slot = first; slot <= last; ++slot) {
        if (!m_paragraphs[slot].alive) {
            continue;
        }
        const QString& text = m_paragraphs[slot].text;
        const qint64 begin = m_index.paragraphStart(slot);
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
