// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A document on the in-process host opened from a body of WordprocessingML, saved back and
// searched as the removals search it, for the tests of editing and finding.
#include "DocxFixture.h"

#include "docx/DocxHostProvider.h"
#include "docx/Package.h"
#include "engine/Find.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <initializer_list>

namespace quillsift::testing {

inline QString paragraphs(std::initializer_list<const char*> texts)
{
    QString body;
    for (const char* text : texts) {
        body += quillsift::testing::u("<w:p><w:r><w:t xml:space=\"preserve\">") + u(text) +
                quillsift::testing::u("</w:t></w:r></w:p>");
    }
    return body;
}

class DocxEdit : public ::testing::Test
{
  protected:
    std::shared_ptr<engine::Document> open(const QString& body)
    {
        return m_application->documents().open(quillsift::testing::writeFile(
            m_folder.path(), quillsift::testing::u("doc.docx"), quillsift::testing::docxBytes(body)));
    }
    /// The main part of what the document saves.
    QByteArray savedXml(engine::Document& document)
    {
        const QString path = QDir(m_folder.path()).filePath(quillsift::testing::u("saved%1.docx").arg(++m_saves));
        document.saveAs(path);
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        return docx::Package::fromZip(path, file.readAll()).find(quillsift::testing::u("word/document.xml"))->data;
    }
    /// Replace-all with nothing, as the word removal calls it.
    bool removeAll(engine::Range& range, const QString& text, bool wholeWord = true)
    {
        auto find = range.find();
        find->setMatchWholeWord(wholeWord);
        return find->execute(text, engine::FindWrap::Stop, QString(), engine::FindReplace::All);
    }

    QTemporaryDir m_folder;
    int m_saves = 0;
    docx::DocxHostProvider m_provider;
    std::shared_ptr<engine::Application> m_application = m_provider.newApplication();
};

} // namespace quillsift::testing
