// SPDX-License-Identifier: GPL-3.0-or-later
#include "DuplicateLines.h"

#include "Units.h"

#include <QSet>

namespace quillsift::engine {

QString paragraphKey(const QString& paragraphText)
{
    QString key = paragraphText;
    key.remove(QChar(chars::ParagraphMark));
    return key;
}

namespace {

/// The form in which the walk's set holds a paragraph's key: the key followed by one paragraph
/// mark. A paragraph whose one mark ends it, as almost every paragraph's does, is then its own
/// entry, shared rather than copied.
QString seenKey(const QString& paragraphText)
{
    if (paragraphText.indexOf(QChar(chars::ParagraphMark)) == paragraphText.size() - 1) {
        return paragraphText;
    }
    return paragraphKey(paragraphText) + QChar(chars::ParagraphMark);
}

} // namespace

bool holdsObject(const QString& paragraphText)
{
    return paragraphText.contains(QChar(chars::Object)) || paragraphText.contains(QChar(chars::NoteReference));
}

qint64 removeDuplicateLines(Document& document, const YieldFunction& yield)
{
    std::unique_ptr<Range> paragraph;
    qint64 paragraphs = 0;
    {
        // Every live range costs the host a little on each deletion: hold only the ones in use.
        const auto whole = document.range();
        paragraphs = whole->paragraphsCount();
        if (paragraphs <= 1) {
            return 0;
        }
        paragraph = whole->paragraph(1);
    }

    YieldThrottle throttle(yield);
    QSet<QString> seen;
    // At most one key a paragraph: the set never grows by copying itself.
    seen.reserve(paragraphs);
    qint64 removed = 0;
    while (paragraph) {
        const QString text = paragraph->text();
        QString key = seenKey(text);
        if (!seen.contains(key) || holdsObject(text)) {
            seen.insert(key);
            paragraph = paragraph->next(Unit::Paragraph);
            throttle.step();
            continue;
        }

        // Taken before the deletion: the following paragraph is where the walk goes on, and
        // whether it then starts where the deleted one did tells whether the host removed it.
        auto following = paragraph->next(Unit::Paragraph);
        paragraph->deleteContent();
        if (following && following->start() > paragraph->start()) {
            // The host kept the paragraph, emptied. Stepping over it keeps the walk from
            // returning to it; what is left of it is a text like any other from here on.
            if (const auto kept = following->previous(Unit::Paragraph)) {
                const QString keptText = kept->text();
                if (keptText != text) {
                    ++removed;
                }
                seen.insert(seenKey(keptText));
            }
        } else if (following || !paragraphKey(text).isEmpty()) {
            // Without a following paragraph this was the document's last, which the host
            // always keeps: it counts only when there was something in it to remove.
            ++removed;
        }
        paragraph = std::move(following);
        throttle.step();
    }
    return removed;
}

} // namespace quillsift::engine
