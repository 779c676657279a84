// SPDX-License-Identifier: GPL-3.0-or-later
#include "LoBodyReader.h"

#include "UnoStrings.h"

#include "engine/Units.h"

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XContentEnumerationAccess.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/text/TextContentAnchorType.hpp>
#include <com/sun/star/text/XTextTable.hpp>
#include <com/sun/star/uno/RuntimeException.hpp>

#include <algorithm>
#include <limits>

namespace quillsift::libreoffice {

using css::uno::Reference;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;

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

} // namespace

void LoBodyReader::collect(const Reference<css::text::XText>& container, bool inCell,
                           std::vector<LoParagraph>& paragraphs)
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
            LoParagraph paragraph;
            paragraph.range.set(element, UNO_QUERY_THROW);
            paragraph.container = container;
            lastParagraph = paragraphs.size();
            paragraphs.push_back(std::move(paragraph));
            continue;
        }
        const Reference<css::text::XTextTable> table(element, UNO_QUERY);
        if (!table.is()) {
            continue;
        }
        // Writer cannot join a paragraph with the table after it.
        if (lastParagraph != none) {
            paragraphs[lastParagraph].pinned = true;
        }
        lastParagraph = none;
        const css::uno::Sequence<rtl::OUString> names = table->getCellNames();
        for (const rtl::OUString& name : names) {
            const Reference<css::text::XText> cell(table->getCellByName(name), UNO_QUERY);
            if (cell.is()) {
                collect(cell, true, paragraphs);
            }
        }
    }
    if (lastParagraph != none) {
        paragraphs[lastParagraph].pinned = true;
        paragraphs[lastParagraph].endOfCell = inCell;
    }
}

bool LoBodyReader::read(LoParagraph& paragraph)
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

} // namespace quillsift::libreoffice
