// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <engine/Document.h>

#include <QStringList>

#include <random>

namespace quillsift::testing {

/// Small random documents for differential tests, as paragraph texts in the form
/// TextDocument::fromParagraphs takes them: paragraphs drawn from a small pool so that they
/// repeat, words that repeat in other letter case, marks on both sides of the search threshold,
/// separators that may be missing so that a removed mark can join two words, tabs, pictures,
/// note references, table cells, empty paragraphs, and a last paragraph that repeats an earlier one.
class DocumentGenerator
{
  public:
    explicit DocumentGenerator(unsigned seed);

    QStringList document();
    /// One paragraph of at least minimumLength characters, made of many generated ones.
    QString longParagraph(int minimumLength);

  private:
    QString paragraph();
    int pick(int low, int high);
    bool chance(int percent);

    std::mt19937 m_random;
};

/// The texts of a document's paragraphs read through the automation interface, each with its
/// paragraph marks removed (a cell's last paragraph keeps its character 7).
QStringList paragraphTexts(engine::Document& document);

/// The paragraphs shown on one line with their control characters spelt out.
QString describe(const QStringList& paragraphs);

} // namespace quillsift::testing
