// SPDX-License-Identifier: GPL-3.0-or-later
#include "TextFind.h"

#include <engine/HostError.h>

#include <ranges>

namespace quillsift::testing {

TextFind::TextFind(std::shared_ptr<TextStory> story, qint64 start, qint64 end)
    : m_story(std::move(story))
    , m_span{start, end}
{
    m_story->track(&m_span);
}

TextFind::~TextFind()
{
    m_story->untrack(&m_span);
}

void TextFind::setMatchWholeWord(bool on)
{
    m_matchWholeWord = on;
}

bool TextFind::matchWholeWord() const
{
    return m_matchWholeWord;
}

bool TextFind::execute(const QString& findText, engine::FindWrap, const QString& replaceWith,
                       engine::FindReplace replace)
{
    if (!replaceWith.isEmpty()) {
        throw engine::HostError(QString(), QStringLiteral("the test host only replaces with empty text"));
    }
    auto matches = m_story->findAll(m_span.start, m_span.end, findText, m_matchWholeWord);
    if (replace == engine::FindReplace::One && matches.size() > 1) {
        matches.resize(1);
    }
    if (replace != engine::FindReplace::None) {
        for (const auto& match : std::views::reverse(matches)) {
            m_story->removeExactly(match.start, match.end);
        }
    }
    return !matches.empty();
}

} // namespace quillsift::testing
