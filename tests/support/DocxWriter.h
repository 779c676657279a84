// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

namespace quillsift::testing {

/// The one builder of Word packages for tests: the smallest package whose main part's body is
/// bodyXml (the "w", "r", "wp" and "mc" prefixes are bound). extraParts are name/content pairs
/// added as they are, or put in place of a part of the same name.
QByteArray docxBytes(const QString& bodyXml, const QList<QPair<QString, QByteArray>>& extraParts = {});

/// Writes docxBytes(bodyXml) to path. Throws std::runtime_error when the file cannot be written.
void writeDocxBody(const QString& path, const QString& bodyXml);

/// The body XML of paragraphs given as TextDocument::fromParagraphs takes them: character 9 is a
/// tab, 11 a line break, 1 a picture, 2 a footnote reference, and a text ending in character 7
/// is a one-paragraph table cell (cells in a row form one table).
QString bodyXml(const QStringList& paragraphs);

} // namespace quillsift::testing
