// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: a package (or, with an odd first byte, a main part inside a sound package)
// opened by the in-process host, its paragraphs and words walked, some text deleted, paragraphs
// joined and the package written again. Only HostError may come out.
#include "docx/DocxRange.h"
#include "docx/DocxStory.h"
#include "docx/Package.h"
#include "docx/PackageIntake.h"
#include "docx/XmlWellFormed.h"
#include "engine/HostError.h"

#include <QStringList>

#include <cstddef>
#include <cstdint>

using namespace quillsift;

namespace {

QStringList wordTexts(const engine::Range& range)
{
    QStringList texts;
    for (auto word = range.word(1); word; word = word->next(engine::Unit::Word)) {
        texts << word->text();
    }
    return texts;
}

/// A package as the host opens one: read, then checked and mended.
docx::Package readPackage(const QByteArray& zip)
{
    docx::Package package = docx::Package::fromZip(QStringLiteral("fuzz"), zip);
    docx::PackageIntake::prepare(QStringLiteral("fuzz"), package);
    return package;
}

docx::Package packageAround(const QByteArray& mainPart)
{
    docx::Package package;
    package.setData(QStringLiteral("[Content_Types].xml"),
                    "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"/>");
    package.setData(QStringLiteral("_rels/.rels"),
                    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                    "<Relationship Id=\"rId1\" "
                    "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
                    "Target=\"word/document.xml\"/></Relationships>");
    package.setData(QStringLiteral("word/document.xml"), mainPart);
    docx::PackageIntake::prepare(QStringLiteral("fuzz"), package);
    return package;
}

void exercise(const QByteArray& input)
{
    const bool wholePackage = input.isEmpty() || !(static_cast<unsigned char>(input[0]) & 1);
    const QByteArray mainPart = input.mid(1);
    docx::Package package = wholePackage ? readPackage(input) : packageAround(mainPart);
    auto story = std::make_shared<docx::DocxStory>(QStringLiteral("fuzz"), std::move(package));
    docx::DocxRange whole(story, 0, story->length());
    const qint64 paragraphs = whole.paragraphsCount();
    const qint64 words = whole.wordsCount();
    qint64 seen = 0;
    for (auto paragraph = whole.paragraph(1); paragraph; paragraph = paragraph->next(engine::Unit::Paragraph)) {
        (void)paragraph->text();
        ++seen;
    }
    if (seen != paragraphs) {
        __builtin_trap();
    }
    const QStringList wordList = wordTexts(whole);
    if (wordList.size() != words || wordList.join(QString()) != whole.text()) {
        __builtin_trap();
    }
    // Delete every second paragraph, then the first word of what is left, then search.
    for (auto keep = whole.paragraph(1); keep;) {
        auto victim = keep->next(engine::Unit::Paragraph);
        if (!victim) {
            break;
        }
        victim->deleteContent();
        keep = keep->next(engine::Unit::Paragraph);
    }
    if (auto word = docx::DocxRange(story, 0, story->length()).word(1)) {
        const QString found = word->text().trimmed();
        word->deleteContent();
        docx::DocxRange all(story, 0, story->length());
        auto find = all.find();
        find->setMatchWholeWord(true);
        find->execute(found, engine::FindWrap::Stop, QString(), engine::FindReplace::All);
    }
    // Searches as the removals make them: each of the first words over the rest of the text, and
    // some over the word itself, which deletes its characters and leaves its spaces.
    int searched = 0;
    for (auto word = docx::DocxRange(story, 0, story->length()).word(1); word && searched < 40; ++searched) {
        const QString wanted = word->text().trimmed();
        auto next = word->next(engine::Unit::Word);
        if (!wanted.isEmpty()) {
            docx::DocxRange rest(story, word->end(), story->length());
            auto overRest = rest.find();
            overRest->setMatchWholeWord(true);
            overRest->execute(wanted, engine::FindWrap::Stop, QString(), engine::FindReplace::All);
            if (searched % 3 == 0) {
                auto overWord = word->find();
                overWord->setMatchWholeWord(true);
                overWord->execute(wanted, engine::FindWrap::Stop, QString(), engine::FindReplace::All);
            }
        }
        word = std::move(next);
    }
    // Paragraph marks deleted one at a time, at the start and at the end: two paragraphs join, or
    // the mark stays where it may not go.
    for (int join = 0; join < 30; ++join) {
        docx::DocxRange all(story, 0, story->length());
        const qint64 count = all.paragraphsCount();
        if (count < 2) {
            break;
        }
        auto paragraph = all.paragraph(join % 2 == 0 ? 1 : count - 1);
        const QString before = all.text();
        const qint64 mark = paragraph->end() - 1;
        paragraph->setStart(mark);
        paragraph->deleteContent();
        const QString after = docx::DocxRange(story, 0, story->length()).text();
        if (after != before && after != QString(before).remove(mark, 1)) {
            __builtin_trap();
        }
    }
    const docx::Package saved = story->package();
    const QByteArray zip = saved.toZip(QStringLiteral("fuzz"));
    // Every XML part written, the main part too, is well-formed to a strict reader.
    for (const auto& entry : saved.entries()) {
        if (entry.name.endsWith(QLatin1String(".xml")) || entry.name.endsWith(QLatin1String(".rels"))) {
            try {
                docx::XmlWellFormed::check(QStringLiteral("fuzz"), entry.name, entry.data);
            } catch (const engine::HostError&) {
                __builtin_trap();
            }
        }
    }
    // What we write must open again with nothing left to mend, and where it reads as the same
    // text its words, segmented afresh, must be the ones the edits left.
    docx::Package reread = readPackage(zip);
    if (!reread.notes().isEmpty()) {
        __builtin_trap();
    }
    auto reopened = std::make_shared<docx::DocxStory>(QStringLiteral("fuzz"), std::move(reread));
    docx::DocxRange edited(story, 0, story->length());
    docx::DocxRange fresh(reopened, 0, reopened->length());
    if (edited.text() == fresh.text() && wordTexts(edited) != wordTexts(fresh)) {
        __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    try {
        exercise(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    } catch (const engine::HostError&) {
    }
    return 0;
}
