// SPDX-License-Identifier: GPL-3.0-or-later
#include "TextDocument.h"

#include "TextRange.h"

#include <engine/HostError.h>
#include <engine/Units.h>

#include <QFile>

namespace quillsift::testing {

namespace chars = engine::chars;

std::shared_ptr<TextDocument> TextDocument::fromParagraphs(const QStringList& paragraphs, QString name)
{
    QString story;
    for (const QString& paragraph : paragraphs) {
        if (paragraph.endsWith(QChar(chars::EndOfCell))) {
            story += paragraph.chopped(1) + QChar(chars::ParagraphMark) + QChar(chars::EndOfCell);
        } else {
            story += paragraph + QChar(chars::ParagraphMark);
        }
    }
    if (story.isEmpty() || story.endsWith(QChar(chars::EndOfCell))) {
        story += QChar(chars::ParagraphMark);
    }
    return std::make_shared<TextDocument>(story, name.isEmpty() ? QStringLiteral("Document1") : std::move(name));
}

std::shared_ptr<TextDocument> TextDocument::fromText(const QString& text, QString name)
{
    return fromParagraphs(text.split(QChar(chars::ParagraphMark)), std::move(name));
}

TextDocument::TextDocument(QString storyText, QString name)
    : m_story(std::make_shared<TextStory>(std::move(storyText)))
    , m_name(std::move(name))
{
}

QStringList TextDocument::paragraphTexts() const
{
    QStringList result;
    for (const auto& paragraph : m_story->paragraphs()) {
        result << m_story->text()
                      .mid(paragraph.start, paragraph.end - paragraph.start)
                      .remove(QChar(chars::ParagraphMark));
    }
    return result;
}

const QString& TextDocument::storyText() const
{
    return m_story->text();
}

QString TextDocument::name() const
{
    return m_name;
}

QString TextDocument::fullName() const
{
    return {};
}

std::unique_ptr<engine::Range> TextDocument::content()
{
    return std::make_unique<TextRange>(m_story, 0, m_story->length());
}

std::unique_ptr<engine::Range> TextDocument::range()
{
    return content();
}

void TextDocument::close()
{
}

void TextDocument::saveAs(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        throw engine::HostError(path, file.errorString());
    }
    file.write(paragraphTexts().join(QLatin1Char('\n')).toUtf8());
    m_saved = true;
}

bool TextDocument::saved() const
{
    return m_saved;
}

} // namespace quillsift::testing
