// SPDX-License-Identifier: GPL-3.0-or-later
#include "DocxDocument.h"

#include "DocxRange.h"
#include "MacroRemoval.h"
#include "PlainText.h"
#include "TrackedPackage.h"

#include "engine/HostError.h"

#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

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
    refuseSource(path);
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("txt")) {
        // A piece of the text at a time: a long story is never copied whole to be written.
        constexpr qint64 piece = PlainText::Encoder::pieceLength;
        PlainText::Encoder encoder(m_story->length());
        for (qint64 start = 0; start < m_story->length(); start += piece) {
            encoder.append(m_story->text(start, std::min(start + piece, m_story->length())));
        }
        write(path, encoder.take());
        return;
    }
    Package package;
    try {
        package = m_story->packageToWrite();
    } catch (const std::bad_alloc&) {
        throw HostError(path, QStringLiteral("there is not enough memory to write the package"));
    }
    write(path, packageBytes(path, std::move(package)));
}

void DocxDocument::saveWithTrackedChanges(const QString& path, const QDateTime& time)
{
    m_story->ensureOpen();
    refuseSource(path);
    if (QFileInfo(path).suffix().compare(QLatin1String("txt"), Qt::CaseInsensitive) == 0) {
        throw HostError(path, QStringLiteral("plain text cannot hold tracked changes; save the document as a Word "
                                             "document (.docx) to keep its removals as tracked changes"));
    }
    if (!m_story->keepsDeletions()) {
        throw HostError(path, QStringLiteral("this copy was made without a record of its removals, so they cannot "
                                             "be kept as tracked changes"));
    }
    if (!m_story->onlyLoggedEdits()) {
        throw HostError(path, QStringLiteral("the document has been edited by more than removals since it was "
                                             "read, so its changes cannot be kept as tracked changes"));
    }
    const QString source = m_story->copiedFrom().isEmpty() ? m_fullName : m_story->copiedFrom();
    Package package =
        TrackedPackage::make(source.isEmpty() ? m_name : source, m_story->original().package(), m_story->deletionLog(),
                             m_story->text(0, m_story->length()), QString::fromLatin1(changeAuthor), time);
    write(path, packageBytes(path, std::move(package)));
}

void DocxDocument::refuseSource(const QString& path) const
{
    const QString target = comparable(path);
    for (const QString& source : {m_fullName, m_story->copiedFrom()}) {
        if (!source.isEmpty() && comparable(source) == target) {
            throw HostError(path, QStringLiteral("this is the document's source file, which is never written"));
        }
    }
}

QByteArray DocxDocument::packageBytes(const QString& path, Package package) const
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix != QLatin1String("docm") && suffix != QLatin1String("dotm") && suffix != QLatin1String("dotx")) {
        MacroRemoval::makePlainDocument(package, m_story->mainPartName());
    }
    return package.toZip(path, m_story->processors());
}

void DocxDocument::write(const QString& path, const QByteArray& bytes)
{
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
    m_cleaning = Cleaning{mode, removed, QDateTime::currentDateTimeUtc()};
}

engine::PlainWords* DocxDocument::plainWords()
{
    if (!m_plainWords) {
        m_plainWords = std::make_unique<DocxPlainWords>(m_story);
    }
    return m_plainWords.get();
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
