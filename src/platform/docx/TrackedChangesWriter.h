// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Paragraph.h"
#include "TrackedDeletions.h"
#include "WordNames.h"

#include <QDateTime>
#include <QString>

#include <pugixml.hpp>

#include <span>
#include <string>
#include <vector>

namespace quillsift::docx {

/// Writes deleted stretches of a main part's paragraphs into its XML as tracked deletions of one
/// author at one time: the runs that hold them, split where a stretch begins or ends inside one,
/// go into w:del elements with their w:t as w:delText, and a deleted paragraph mark becomes a
/// w:del in the mark's properties. A paragraph that goes whole has every run of its content
/// deleted, field codes (w:instrText as w:delInstrText) with them. Runs already inside a
/// deletion or a move away are left as they are; runs inside an insertion are deleted within it.
/// Formatting, pictures, fields and markers stay. Touches only the paragraphs it is handed and
/// the runs in them; owns the next w:id and the deletion it last wrote, which the next run beside
/// it joins.
class TrackedChangesWriter
{
  public:
    /// part: the main part's document node, whose w:id values the new deletions follow.
    TrackedChangesWriter(const WordNames& names, pugi::xml_node part, const QString& author, const QDateTime& time);

    /// Marks the stretches cuts (of this paragraph, in order, within its text) deleted.
    void write(const Paragraph& paragraph, std::span<const TrackedDeletions::Cut> cuts);

  private:
    /// Wraps every run of container's content, at any depth, in deletions.
    void deleteContent(pugi::xml_node container);
    /// Splits the run so that the elements deleted (children of it, in order) stand in runs of
    /// their own, and wraps those.
    void deleteInRun(pugi::xml_node run, std::span<const pugi::xml_node> deleted);
    /// Turns the run's text and field code into deleted ones and puts it in a deletion, the one
    /// just before it when there is one.
    void wrap(pugi::xml_node run);
    void deleteMark(pugi::xml_node paragraph);
    /// Splits a w:t at the offsets of its text; returns the elements of the stretches, in order.
    std::vector<pugi::xml_node> splitText(pugi::xml_node text, const std::vector<qint64>& bounds);
    void setRevision(pugi::xml_node change);

    const WordNames& m_names;
    std::string m_delInstrText;
    std::string m_id;
    std::string m_author;
    std::string m_date;
    std::string m_authorName;
    std::string m_dateValue;
    std::string m_pPrChange;
    qint64 m_nextId = 1;
    pugi::xml_node m_lastDeletion;
};

} // namespace quillsift::docx
