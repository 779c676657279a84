// SPDX-License-Identifier: GPL-3.0-or-later
#include "DocxFormattedText.h"

#include "DocxStory.h"

namespace quillsift::docx {

DocxFormattedText::DocxFormattedText(std::shared_ptr<DocxStory> story, qint64 start, qint64 end, QString sourcePath,
                                     bool plainText)
    : m_story(std::move(story))
    , m_start(start)
    , m_end(end)
    , m_sourcePath(std::move(sourcePath))
    , m_plainText(plainText)
{
}

Package DocxFormattedText::package() const
{
    return m_package ? *m_package : m_story->package();
}

std::shared_ptr<DocxStory> DocxFormattedText::closedStory() const
{
    return m_story && m_story->isClosed() && m_story->isAsRead() ? m_story : nullptr;
}

void DocxFormattedText::settle() const
{
    if (m_story) {
        m_package = m_story->package();
        m_story.reset();
    }
}

void DocxFormattedText::readFrom(std::shared_ptr<DocxStory> story) const
{
    if (m_story) {
        m_story = std::move(story);
    }
}

} // namespace quillsift::docx
