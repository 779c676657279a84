// SPDX-License-Identifier: GPL-3.0-or-later
#include "LiteralRemoval.h"

#include <engine/Units.h>

#include <array>
#include <utility>

namespace quillsift::testing {

using engine::Unit;

namespace {

QString withoutParagraphMarks(QString text)
{
    return text.remove(QChar(engine::chars::ParagraphMark));
}

QString trimmedOfSpaces(const QString& text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == QLatin1Char(' ')) {
        ++first;
    }
    while (last > first && text.at(last - 1) == QLatin1Char(' ')) {
        --last;
    }
    return text.mid(first, last - first);
}

void yieldIfAsked(const std::function<void()>& yield)
{
    if (yield) {
        yield();
    }
}

} // namespace

qint16 windows1252Code(QChar c)
{
    // The thirty-two codes where Windows-1252 differs from Latin-1.
    static constexpr std::array<std::pair<char16_t, qint16>, 27> extra{{
        {0x20AC, 0x80}, {0x201A, 0x82}, {0x0192, 0x83}, {0x201E, 0x84}, {0x2026, 0x85}, {0x2020, 0x86}, {0x2021, 0x87},
        {0x02C6, 0x88}, {0x2030, 0x89}, {0x0160, 0x8A}, {0x2039, 0x8B}, {0x0152, 0x8C}, {0x017D, 0x8E}, {0x2018, 0x91},
        {0x2019, 0x92}, {0x201C, 0x93}, {0x201D, 0x94}, {0x2022, 0x95}, {0x2013, 0x96}, {0x2014, 0x97}, {0x02DC, 0x98},
        {0x2122, 0x99}, {0x0161, 0x9A}, {0x203A, 0x9B}, {0x0153, 0x9C}, {0x017E, 0x9E}, {0x0178, 0x9F},
    }};
    const char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
        return static_cast<qint16>(u);
    }
    for (const auto& [unicode, code] : extra) {
        if (unicode == u) {
            return code;
        }
    }
    return 63;
}

void literalRemoveDuplicateLines(engine::Document& document, const std::function<void()>& yield)
{
    if (document.range()->paragraphsCount() <= 1) {
        return;
    }
    auto reference = document.range()->paragraph(1);
    while (reference) {
        auto candidate = reference->next(Unit::Paragraph);
        while (candidate) {
            const QString candidateText = candidate->text();
            const QString candidateKey = withoutParagraphMarks(candidateText);
            const QString referenceKey = withoutParagraphMarks(reference->text());
            const bool holdsObject = candidateText.contains(QChar(engine::chars::Object)) ||
                                     candidateText.contains(QChar(engine::chars::NoteReference));
            if (candidateKey == referenceKey && !holdsObject) {
                const qint64 before = document.range()->paragraphsCount();
                candidate->deleteContent();
                if (document.range()->paragraphsCount() < before) {
                    candidate = candidate->previous(Unit::Paragraph);
                }
                // Otherwise the host kept the paragraph, emptied: the collapsed candidate's Next
                // below is the paragraph after it.
            }
            candidate = candidate->next(Unit::Paragraph);
            yieldIfAsked(yield);
        }
        reference = reference->next(Unit::Paragraph);
    }
}

void literalRemoveDuplicateWords(engine::Document& document, const std::function<void()>& yield)
{
    if (document.range()->wordsCount() <= 1) {
        return;
    }
    auto current = document.range()->word(1);
    while (current) {
        const QString text = current->text();
        if (!text.isEmpty() && windows1252Code(text.at(0)) > 47) {
            auto searchRange = document.range();
            searchRange->setStart(current->end());
            auto find = searchRange->find();
            find->setMatchWholeWord(true);
            find->execute(trimmedOfSpaces(current->text()), engine::FindWrap::Stop, QString(),
                          engine::FindReplace::All);
            yieldIfAsked(yield);
        }
        current = current->next(Unit::Word);
    }
}

} // namespace quillsift::testing
