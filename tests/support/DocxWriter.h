// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

namespace quillsift::testing {

/// Writes the smallest Word package that holds the given body XML (the content of w:body).
/// Throws std::runtime_error when the file cannot be written.
void writeDocxBody(const QString& path, const QString& bodyXml);

/// The body XML of paragraphs given as TextDocument::fromParagraphs takes them: character 9 is a
/// tab, 11 a line break, 1 a picture, 2 a footnote reference, and a text ending in character 7
/// is a one-paragraph table cell (cells in a row form one table).
QString bodyXml(const QStringList& paragraphs);

} // namespace quillsift::testing
