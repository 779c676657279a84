// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

namespace quillsift::docx {

class DocxRange;

/// The ranges of one story that are still alive, linked through themselves (one is made for
/// nearly every word walked, so adding and removing one costs O(1)), and moved together after each
/// edit. Owns only the list's head; touches the ranges' links and spans.
class LiveRanges
{
  public:
    void add(DocxRange* range);
    void remove(DocxRange* range);

    /// Every range moves as the text [from, to) going does to it.
    void textRemoved(qint64 from, qint64 to);
    /// Every range moves as length characters inserted at position do to it.
    void textInserted(qint64 position, qint64 length);
    /// Every range collapses to the start, as when the whole text is replaced.
    void collapseAll();

  private:
    DocxRange* m_first = nullptr;
};

} // namespace quillsift::docx
