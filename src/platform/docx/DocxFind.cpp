// SPDX-License-Identifier: GPL-3.0-or-later
#include "DocxFind.h"

#include "DocxRange.h"
#include "DocxStory.h"

namespace quillsift::docx {

DocxFind::DocxFind(std::unique_ptr<DocxRange> scope)
    : m_scope(std::move(scope))
{
}

DocxFind::~DocxFind() = default;

void DocxFind::setMatchWholeWord(bool on)
{
    m_matchWholeWord = on;
}

bool DocxFind::matchWholeWord() const
{
    return m_matchWholeWord;
}

bool DocxFind::execute(const QString& findText, engine::FindWrap wrap, const QString& replaceWith,
                       engine::FindReplace replace)
{
    Q_UNUSED(wrap); // the search never leaves its range, which is what wdFindStop asks for
    DocxStory& story = m_scope->story();
    story.ensureOpen();
    auto matches = story.findMatches(m_scope->start(), m_scope->end(), findText, m_matchWholeWord);
    if (matches.empty() || replace == engine::FindReplace::None) {
        return !matches.empty();
    }
    if (replace == engine::FindReplace::One) {
        matches.resize(1);
    }
    // Last first, so the matches still to be deleted keep their positions.
    for (auto it = matches.rbegin(); it != matches.rend(); ++it) {
        story.deleteText(it->start, it->end);
        story.insertText(it->start, replaceWith);
    }
    return true;
}

} // namespace quillsift::docx
