// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Find.h"
#include "FormattedText.h"
#include "Units.h"

#include <QString>

#include <memory>

namespace quillsift::engine {

/// A live stretch of one document's main story, from start() up to end().
/// A range stays valid while its document is open: deletions before it move it back,
/// and a deletion that covers it collapses it where the deleted text stood.
/// Every call may throw HostError.
class Range
{
  public:
    virtual ~Range() = default;

    virtual qint64 start() const = 0;
    virtual qint64 end() const = 0;
    /// Range.Start assigned; the end moves too when it would otherwise lie before the start.
    virtual void setStart(qint64 position) = 0;

    /// Range.Text: the characters between start and end.
    virtual QString text() const = 0;

    /// Range.Paragraphs.Count and Range.Words.Count: the units that overlap the range.
    virtual qint64 paragraphsCount() const = 0;
    virtual qint64 wordsCount() const = 0;
    /// Range.Paragraphs(index).Range and Range.Words(index), counted from 1; nullptr past the last.
    virtual std::unique_ptr<Range> paragraph(qint64 index) const = 0;
    virtual std::unique_ptr<Range> word(qint64 index) const = 0;

    /// Range.Next and Range.Previous; nullptr (Nothing) past either end.
    virtual std::unique_ptr<Range> next(Unit unit) const = 0;
    virtual std::unique_ptr<Range> previous(Unit unit) const = 0;

    /// Range.Delete: removes the range's content; the range collapses where it stood.
    /// Marks the file format cannot lose stay, with their paragraph emptied.
    virtual void deleteContent() = 0;

    /// Range.Find: a search confined to this range.
    virtual std::unique_ptr<Find> find() = 0;

    /// Range.FormattedText, read and assigned.
    virtual std::shared_ptr<const FormattedText> formattedText() const = 0;
    virtual void setFormattedText(const FormattedText& text) = 0;
};

} // namespace quillsift::engine
