// SPDX-License-Identifier: GPL-3.0-or-later
#include "LoFind.h"

#include "LoRange.h"
#include "LoStory.h"

#include "engine/HostError.h"

namespace quillsift::libreoffice {

LoFind::LoFind(std::unique_ptr<LoRange> scope)
    : m_scope(std::move(scope))
{
}

LoFind::~LoFind() = default;

void LoFind::setMatchWholeWord(bool on)
{
    m_matchWholeWord = on;
}

bool LoFind::matchWholeWord() const
{
    return m_matchWholeWord;
}

bool LoFind::execute(const QString& findText, engine::FindWrap wrap, const QString& replaceWith,
                     engine::FindReplace replace)
{
    Q_UNUSED(wrap); // the search never leaves its range, which is what wdFindStop asks for
    LoStory& story = m_scope->story();
    story.ensureOpen();
    auto matches = story.findMatches(m_scope->start(), m_scope->end(), findText, m_matchWholeWord);
    if (matches.empty() || replace == engine::FindReplace::None) {
        return !matches.empty();
    }
    if (!replaceWith.isEmpty()) {
        throw engine::HostError(story.fileName(), QStringLiteral("this host can only replace text with nothing"));
    }
    if (replace == engine::FindReplace::One) {
        matches.resize(1);
    }
    // Last first, so the matches still to be deleted keep their positions.
    for (auto it = matches.rbegin(); it != matches.rend(); ++it) {
        story.deleteText(it->start, it->end);
    }
    return true;
}

} // namespace quillsift::libreoffice
