// SPDX-License-Identifier: GPL-3.0-or-later
// The in-process document host on generated documents of 10,000 to 1,000,000 words: open, walk
// the paragraphs, walk the words, delete every second paragraph, join every paragraph into one,
// save, and the whole-word search that the word removal runs once per word. Each should grow
// linearly with the document.
#include "RunBenchmarks.h"

#include "docx/DocxHostProvider.h"
#include "docx/Package.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <map>

using namespace quillsift;

namespace {

constexpr int wordsPerParagraph = 12;

QTemporaryDir& folder()
{
    static QTemporaryDir dir;
    return dir;
}

/// A document of about `words` words in paragraphs of twelve, drawn from a vocabulary of a fifth
/// of that, so every size has the same share of repeats; written once per size.
QString documentOf(qint64 words, int perParagraph = wordsPerParagraph)
{
    static std::map<std::pair<qint64, int>, QString> made;
    if (auto it = made.find({words, perParagraph}); it != made.end()) {
        return it->second;
    }
    QRandomGenerator random(42);
    const auto vocabulary = quint32(std::max<qint64>(words / 5, 1));
    QByteArray body;
    body.reserve(words * 12 + words / wordsPerParagraph * 80);
    for (qint64 i = 0; i < words; i += perParagraph) {
        body += "<w:p><w:r><w:t xml:space=\"preserve\">";
        for (int k = 0; k < perParagraph; ++k) {
            body += "w" + QByteArray::number(random.bounded(vocabulary)) + (k + 1 < perParagraph ? " " : ".");
        }
        body += "</w:t></w:r></w:p>";
    }
    docx::Package package;
    package.setData(
        QStringLiteral("[Content_Types].xml"),
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Types "
        "xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"><Default Extension=\"rels\" "
        "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/><Override "
        "PartName=\"/word/document.xml\" "
        "ContentType=\"application/"
        "vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/></Types>");
    package.setData(QStringLiteral("_rels/.rels"),
                    "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Relationships "
                    "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"><Relationship Id=\"rId1\" "
                    "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
                    "Target=\"word/document.xml\"/></Relationships>");
    package.setData(QStringLiteral("word/document.xml"),
                    "<?xml version=\"1.0\" encoding=\"UTF-8\"?><w:document "
                    "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"><w:body>" +
                        body + "<w:sectPr/></w:body></w:document>");
    const QString path =
        QDir(folder().path()).filePath(QStringLiteral("words-%1-%2.docx").arg(words).arg(perParagraph));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(package.toZip(path));
    made[{words, perParagraph}] = path;
    return path;
}

std::shared_ptr<engine::Document> openDocument(engine::Application& application, qint64 words)
{
    return application.documents().open(documentOf(words));
}

void BM_Open(benchmark::State& state)
{
    const QString path = documentOf(state.range(0));
    docx::DocxHostProvider provider;
    auto application = provider.newApplication();
    for (auto _ : state) {
        auto document = application->documents().open(path);
        benchmark::DoNotOptimize(document->range()->end());
        document->close();
    }
    state.SetComplexityN(state.range(0));
}

void BM_WalkParagraphs(benchmark::State& state)
{
    docx::DocxHostProvider provider;
    auto application = provider.newApplication();
    auto document = openDocument(*application, state.range(0));
    for (auto _ : state) {
        qint64 count = 0;
        for (auto paragraph = document->range()->paragraph(1); paragraph;
             paragraph = paragraph->next(engine::Unit::Paragraph)) {
            benchmark::DoNotOptimize(paragraph->text());
            ++count;
        }
        benchmark::DoNotOptimize(count);
    }
    state.SetComplexityN(state.range(0));
}

void BM_WalkWords(benchmark::State& state)
{
    docx::DocxHostProvider provider;
    auto application = provider.newApplication();
    auto document = openDocument(*application, state.range(0));
    for (auto _ : state) {
        qint64 count = 0;
        for (auto word = document->range()->word(1); word; word = word->next(engine::Unit::Word)) {
            benchmark::DoNotOptimize(word->text());
            ++count;
        }
        benchmark::DoNotOptimize(count);
    }
    state.SetComplexityN(state.range(0));
}

void BM_DeleteEverySecondParagraph(benchmark::State& state)
{
    docx::DocxHostProvider provider;
    auto application = provider.newApplication();
    for (auto _ : state) {
        state.PauseTiming();
        auto document = openDocument(*application, state.range(0));
        state.ResumeTiming();
        for (auto keep = document->range()->paragraph(1); keep;) {
            auto victim = keep->next(engine::Unit::Paragraph);
            if (!victim) {
                break;
            }
            victim->deleteContent();
            keep = keep->next(engine::Unit::Paragraph);
        }
        state.PauseTiming();
        document->close();
        state.ResumeTiming();
    }
    state.SetComplexityN(state.range(0));
}

/// Every paragraph mark deleted one by one, so one paragraph grows by all the others: from the
/// start (the first paragraph takes in each next one) or from the end (the last one takes in each
/// one before it).
void joinEveryParagraph(benchmark::State& state, bool fromTheStart)
{
    docx::DocxHostProvider provider;
    auto application = provider.newApplication();
    for (auto _ : state) {
        state.PauseTiming();
        auto document = openDocument(*application, state.range(0));
        qint64 paragraphs = document->range()->paragraphsCount();
        state.ResumeTiming();
        for (; paragraphs > 1; --paragraphs) {
            auto mark = document->range()->paragraph(fromTheStart ? 1 : paragraphs - 1);
            mark->setStart(mark->end() - 1);
            mark->deleteContent();
        }
        state.PauseTiming();
        document->close();
        state.ResumeTiming();
    }
    state.SetComplexityN(state.range(0));
}

void BM_JoinEveryParagraphFromTheStart(benchmark::State& state)
{
    joinEveryParagraph(state, true);
}

void BM_JoinEveryParagraphFromTheEnd(benchmark::State& state)
{
    joinEveryParagraph(state, false);
}

void BM_Save(benchmark::State& state)
{
    docx::DocxHostProvider provider;
    auto application = provider.newApplication();
    auto document = openDocument(*application, state.range(0));
    const QString target = QDir(folder().path()).filePath(QStringLiteral("saved.docx"));
    for (auto _ : state) {
        document->saveAs(target);
    }
    state.SetComplexityN(state.range(0));
}

/// The word removal's pattern: for every word, a whole-word replace-all over the rest.
void BM_FindEveryWordInTheRest(benchmark::State& state)
{
    docx::DocxHostProvider provider;
    auto application = provider.newApplication();
    for (auto _ : state) {
        state.PauseTiming();
        auto document = openDocument(*application, state.range(0));
        state.ResumeTiming();
        for (auto word = document->range()->word(1); word; word = word->next(engine::Unit::Word)) {
            const QString text = word->text().trimmed();
            if (text.isEmpty() || text.at(0).unicode() <= 47) {
                continue;
            }
            auto rest = document->range();
            rest->setStart(word->end());
            auto find = rest->find();
            find->setMatchWholeWord(true);
            find->execute(text, engine::FindWrap::Stop, QString(), engine::FindReplace::All);
        }
        state.PauseTiming();
        document->close();
        state.ResumeTiming();
    }
    state.SetComplexityN(state.range(0));
}

/// The same on a document that is one long paragraph, where a search over the rest of the
/// paragraph looks its word up in the paragraph's word positions.
void BM_FindEveryWordInOneParagraph(benchmark::State& state)
{
    docx::DocxHostProvider provider;
    auto application = provider.newApplication();
    const QString path = documentOf(state.range(0), int(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        auto document = application->documents().open(path);
        state.ResumeTiming();
        for (auto word = document->range()->word(1); word; word = word->next(engine::Unit::Word)) {
            const QString text = word->text().trimmed();
            if (text.isEmpty() || text.at(0).unicode() <= 47) {
                continue;
            }
            auto rest = document->range();
            rest->setStart(word->end());
            auto find = rest->find();
            find->setMatchWholeWord(true);
            find->execute(text, engine::FindWrap::Stop, QString(), engine::FindReplace::All);
        }
        state.PauseTiming();
        document->close();
        state.ResumeTiming();
    }
    state.SetComplexityN(state.range(0));
}

void sizes(benchmark::internal::Benchmark* benchmark)
{
    benchmark->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);
}

} // namespace

BENCHMARK(BM_Open)->Apply(sizes);
BENCHMARK(BM_WalkParagraphs)->Apply(sizes);
BENCHMARK(BM_WalkWords)->Apply(sizes);
BENCHMARK(BM_DeleteEverySecondParagraph)->Apply(sizes);
BENCHMARK(BM_JoinEveryParagraphFromTheStart)->Apply(sizes);
BENCHMARK(BM_JoinEveryParagraphFromTheEnd)->Apply(sizes);
BENCHMARK(BM_Save)->Apply(sizes);
BENCHMARK(BM_FindEveryWordInTheRest)->Apply(sizes);
BENCHMARK(BM_FindEveryWordInOneParagraph)->Apply(sizes);

int main(int argc, char** argv)
{
    return quillsift::bench::runBenchmarks(argc, argv);
}
