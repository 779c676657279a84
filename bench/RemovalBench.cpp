// SPDX-License-Identifier: GPL-3.0-or-later
// The two removals on the in-process Word host, on generated documents of 10,000 to 1,000,000
// words in which half the paragraphs repeat an earlier one and half the words of the others
// repeat an earlier word. Each removal is timed alone and with opening and saving, beside the
// host opening and saving the document unchanged, and beside the step-by-step algorithms where
// those finish within a minute. Every figure should grow linearly with the document.
//
//   removal_bench --write-package <file.docx> <words>     writes one generated package and exits
//   removal_bench --clean none|lines|words <in> <out>     opens, cleans and saves one file and exits
#include "DocxWriter.h"
#include "LiteralRemoval.h"
#include "RunBenchmarks.h"

#include <docx/DocxApplication.h>
#include <engine/DuplicateLines.h>
#include <engine/DuplicateWords.h>

#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <iostream>
#include <map>
#include <random>

using namespace quillsift;

namespace {

constexpr int wordsPerParagraph = 10;

// A word no other word of the document spells: its number in letters.
QString uniqueWord(qint64 number)
{
    QString word;
    do {
        word += QChar(static_cast<char16_t>(u'a' + number % 26));
        number /= 26;
    } while (number > 0);
    return word;
}

// The paragraphs' texts: half of them repeat an earlier paragraph, and half the words of the
// others repeat an earlier word.
std::vector<QString> textsOf(qint64 words)
{
    std::mt19937_64 random(20261207);
    std::vector<QString> paragraphs;
    std::vector<QString> texts;
    std::vector<QString> vocabulary;
    for (qint64 done = 0; done < words; done += wordsPerParagraph) {
        QString text;
        if (!paragraphs.empty() && random() % 2 == 0) {
            text = paragraphs[random() % paragraphs.size()];
        } else {
            for (int k = 0; k < wordsPerParagraph; ++k) {
                if (vocabulary.empty() || random() % 2 == 0) {
                    vocabulary.push_back(uniqueWord(static_cast<qint64>(vocabulary.size()) + 1000));
                    text += vocabulary.back();
                } else {
                    text += vocabulary[random() % vocabulary.size()];
                }
                text += k + 1 < wordsPerParagraph ? QLatin1Char(' ') : QLatin1Char('.');
            }
            paragraphs.push_back(text);
        }
        texts.push_back(text);
    }
    return texts;
}

enum class Shape {
    Paragraphs,   // ten words a paragraph
    OneParagraph, // the same text as one paragraph of one run
};

QString bodyOf(qint64 words, Shape shape = Shape::Paragraphs)
{
    const std::vector<QString> texts = textsOf(words);
    QString body;
    body.reserve(words * 13);
    if (shape == Shape::OneParagraph) {
        body += QStringLiteral("<w:p><w:r><w:t xml:space=\"preserve\">");
        for (const QString& text : texts) {
            body += text + QLatin1Char(' ');
        }
        body += QStringLiteral("</w:t></w:r></w:p>");
    } else {
        for (const QString& text : texts) {
            body +=
                QStringLiteral("<w:p><w:r><w:t xml:space=\"preserve\">") + text + QStringLiteral("</w:t></w:r></w:p>");
        }
    }
    return body + QStringLiteral("<w:sectPr/>");
}

QTemporaryDir& folder()
{
    static QTemporaryDir dir;
    return dir;
}

QString packageOf(qint64 words, Shape shape = Shape::Paragraphs)
{
    static std::map<std::pair<qint64, Shape>, QString> made;
    if (const auto it = made.find({words, shape}); it != made.end()) {
        return it->second;
    }
    const QString path =
        QDir(folder().path()).filePath(QStringLiteral("removal-%1-%2.docx").arg(words).arg(static_cast<int>(shape)));
    testing::writeDocxBody(path, bodyOf(words, shape));
    made[{words, shape}] = path;
    return path;
}

QString outputPath()
{
    return QDir(folder().path()).filePath(QStringLiteral("out.docx"));
}

enum class Work {
    Nothing,
    Lines,
    Words,
    LiteralLines,
    LiteralWords,
};

void run(Work work, engine::Document& document)
{
    switch (work) {
    case Work::Nothing:
        break;
    case Work::Lines:
        engine::removeDuplicateLines(document);
        break;
    case Work::Words:
        engine::removeDuplicateWords(document);
        break;
    case Work::LiteralLines:
        testing::literalRemoveDuplicateLines(document);
        break;
    case Work::LiteralWords:
        testing::literalRemoveDuplicateWords(document);
        break;
    }
}

// Open, remove, save: what cleaning one file costs from end to end.
void openRemoveSave(benchmark::State& state, Work work)
{
    const QString path = packageOf(state.range(0));
    for (auto _ : state) {
        docx::DocxApplication host;
        auto document = host.documents().open(path);
        run(work, *document);
        document->saveAs(outputPath());
        document->close();
    }
    state.counters["words"] = static_cast<double>(state.range(0));
}

// The removal alone, on a freshly opened document each time.
void removeOnly(benchmark::State& state, Work work, Shape shape = Shape::Paragraphs)
{
    const QString path = packageOf(state.range(0), shape);
    for (auto _ : state) {
        state.PauseTiming();
        docx::DocxApplication host;
        auto document = host.documents().open(path);
        state.ResumeTiming();
        run(work, *document);
        state.PauseTiming();
        document->close();
        state.ResumeTiming();
    }
    state.counters["words"] = static_cast<double>(state.range(0));
}

void sizes(benchmark::internal::Benchmark* b)
{
    b->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
}

void small(benchmark::internal::Benchmark* b)
{
    b->Arg(10'000)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
}

BENCHMARK_CAPTURE(openRemoveSave, unchanged, Work::Nothing)->Apply(sizes);
BENCHMARK_CAPTURE(openRemoveSave, lines, Work::Lines)->Apply(sizes);
BENCHMARK_CAPTURE(openRemoveSave, words, Work::Words)->Apply(sizes);
BENCHMARK_CAPTURE(removeOnly, lines, Work::Lines)->Apply(sizes);
BENCHMARK_CAPTURE(removeOnly, words, Work::Words)->Apply(sizes);
// A whole document in one paragraph: every deletion lands in the same paragraph and run.
BENCHMARK_CAPTURE(removeOnly, wordsInOneParagraph, Work::Words, Shape::OneParagraph)->Apply(sizes);
// Line by line the step-by-step algorithm takes minutes from 100,000 words on; the word search
// on this host looks words up in an index, so it still finishes at 100,000.
BENCHMARK_CAPTURE(removeOnly, literalLines, Work::LiteralLines)->Apply(small);
BENCHMARK_CAPTURE(removeOnly, literalWords, Work::LiteralWords)->Apply(small)->Arg(100'000);

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::string(argv[1]) == "--write-package") {
        testing::writeDocxBody(QString::fromLocal8Bit(argv[2]), bodyOf(std::stoll(argv[3])));
        return 0;
    }
    if (argc == 5 && std::string(argv[1]) == "--clean") {
        const std::string mode = argv[2];
        docx::DocxApplication host;
        auto document = host.documents().open(QString::fromLocal8Bit(argv[3]));
        run(mode == "lines" ? Work::Lines : mode == "words" ? Work::Words : Work::Nothing, *document);
        document->saveAs(QString::fromLocal8Bit(argv[4]));
        return 0;
    }
    return quillsift::bench::runBenchmarks(argc, argv);
}
