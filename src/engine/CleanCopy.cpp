// SPDX-License-Identifier: GPL-3.0-or-later
#include "CleanCopy.h"

#include "DuplicateLines.h"
#include "DuplicateWords.h"
#include "HostError.h"

namespace quillsift::engine {

namespace {

/// Closes a document that is being given up because of an earlier failure. That failure is the
/// one worth reporting, so an error while closing is swallowed.
void closeQuietly(const std::shared_ptr<Document>& document) noexcept
{
    if (!document) {
        return;
    }
    try {
        document->close();
    } catch (...) {
    }
}

void countUnits(Document& document, bool countParagraphs, bool countWords, qint64& paragraphs, qint64& words)
{
    const auto whole = document.content();
    if (countParagraphs) {
        paragraphs = whole->paragraphsCount();
    }
    if (countWords) {
        words = whole->wordsCount();
    }
}

/// A host error raised while working on the copy names the untitled copy ("Document3");
/// the user knows the file by its own path.
[[noreturn]] void rethrowForSource(const HostError& error, const QString& path)
{
    if (error.file() == path) {
        throw error;
    }
    throw HostError(path, error.cause());
}

} // namespace

CleanResult makeCleanCopy(Application& application, const QString& path, RemovalMode mode, const YieldFunction& yield,
                          Counts counts, const Offload& offload)
{
    const auto aside = [&offload](const std::function<void()>& work) {
        if (offload) {
            offload(work);
        } else {
            work();
        }
    };
    CleanResult result;
    std::shared_ptr<Document> source;
    aside([&] { source = application.documents().open(path); });
    try {
        aside([&] {
            result.copy = application.documents().add();
            {
                const auto sourceContent = source->content();
                const auto copyContent = result.copy->content();
                copyContent->setFormattedText(*sourceContent->formattedText());
            }
            // The source goes before the removal, so a long removal does not hold both in memory.
            std::shared_ptr<Document> closing = std::move(source);
            closing->close();
        });

        const bool all = counts == Counts::All;
        const bool unit = counts == Counts::RemovalUnit;
        countUnits(*result.copy, all || (unit && mode == RemovalMode::Lines),
                   all || (unit && mode == RemovalMode::Words), result.paragraphsBefore, result.wordsBefore);
        result.removed = mode == RemovalMode::Lines ? removeDuplicateLines(*result.copy, yield)
                                                    : removeDuplicateWords(*result.copy, yield);
        result.copy->noteCleaning(mode, result.removed);
        countUnits(*result.copy, all, all, result.paragraphsAfter, result.wordsAfter);
        result.repairs = result.copy->repairs();
        return result;
    } catch (const HostError& error) {
        closeQuietly(source);
        closeQuietly(result.copy);
        rethrowForSource(error, path);
    } catch (...) {
        closeQuietly(source);
        closeQuietly(result.copy);
        throw;
    }
}

} // namespace quillsift::engine
