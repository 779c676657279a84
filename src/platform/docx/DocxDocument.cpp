// SPDX-License-Identifier: GPL-3.0-or-later
#include "DocxDocument.h"

#include "DocxRange.h"
#include "MacroRemoval.h"
#include "PlainText.h"

#include "engine/HostError.h"

#include <QFileInfo>
#include <QSaveFile>

namespace quillsift::docx {

using engine::HostError;

namespace {

QString comparable(const QString& path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

} // namespace

DocxDocument::DocxDocument(QString name, QString fullName, std::shared_ptr<DocxStory> story, CloseHandler onClose)
    : m_name(std::move(name))
    , m_fullName(std::move(fullName))
    , m_story(std::move(story))
    , m_onClose(std::move(onClose))
{
}

QString DocxDocument::name() const
{
    return m_name;
}

QString DocxDocument::fullName() const
{
    return m_fullName;
}

std::unique_ptr<engine::Range> DocxDocument::content()
{
    m_story->ensureOpen();
    return std::make_unique<DocxRange>(m_story, 0, m_story->length());
}

std::unique_ptr<engine::Range> DocxDocument::range()
{
    return content();
}

void DocxDocument::close()
{
    if (m_story->isClosed()) {
        return;
    }
    m_story->close();
    if (m_onClose) {
        m_onClose(this);
    }
}

void DocxDocument::saveAs(const QString& path)
{
    m_story->ensureOpen();
    const QString target = comparable(path);
    for (const QString& source : {m_fullName, m_story->copiedFrom()}) {
        if (!source.isEmpty() && comparable(source) == target) {
            throw HostError(path, QStringLiteral("this is the document's source file, which is never written"));
        }
    }
    const QString suffix = QFileInfo(path).suffix().toLower();
    QByteArray bytes;
    if (suffix == QLatin1String("txt")) {
        bytes = PlainText::encode(m_story->text(0, m_story->length()));
    } else {
        Package package = m_story->package();
        if (suffix != QLatin1String("docm") && suffix != QLatin1String("dotm") && suffix != QLatin1String("dotx")) {
            MacroRemoval::makePlainDocument(package, m_story->mainPartName());
        }
        bytes = package.toZip(path, m_story->processors());
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        throw HostError(path, QStringLiteral("the file cannot be written (%1)").arg(file.errorString()));
    }
    m_story->setModified(false);
}

bool DocxDocument::saved() const
{
    return !m_story->isModified();
}

QStringList DocxDocument::repairs() const
{
    return m_story->readingNotes();
}

void DocxDocument::noteCleaning(engine::RemovalMode mode, qint64 removed)
{
    m_cleaning = Cleaning{mode, removed};
}

QString DocxDocument::sourcePath() const
{
    return m_story->copiedFrom();
}

bool DocxDocument::isPlainText() const
{
    return m_story->isPlainText();
}

std::vector<DocxStory::Deletion> DocxDocument::deletions() const
{
    return m_story->deletions();
}

std::size_t DocxDocument::deletionCount() const
{
    return m_story->deletionCount();
}

std::vector<DocxStory::FormattedParagraph> DocxDocument::formattedParagraphs() const
{
    return m_story->formattedParagraphs();
}

} // namespace quillsift::docx
