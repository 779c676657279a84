// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DocxWriter.h"

#include "engine/Document.h"
#include "engine/Range.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>
#include <ostream>

namespace quillsift::testing {

/// Writes bytes to folder/name and returns the path.
QString writeFile(const QString& folder, const QString& name, const QByteArray& bytes);

/// Every paragraph's text in order, read through Range.Paragraphs and Range.Next.
QStringList paragraphTexts(engine::Document& document);
/// Every word unit's text in order, read through Range.Words and Range.Next.
QStringList wordTexts(engine::Document& document);

/// Shorthand for string literals in expectations.
inline QString u(const char* text)
{
    return QString::fromUtf8(text);
}

/// What would make Word or LibreOffice ask to repair the package at path: a part that is not
/// well-formed XML with namespaces, a relationship whose target is missing or outside the package,
/// a table cell without a paragraph, a part without a content type, an entry that a reader leaves
/// out (a name outside the package, a name given twice). Empty when the package is sound.
QStringList packageProblems(const QString& path);

/// A file's SHA-256.
QByteArray checksum(const QString& path);

} // namespace quillsift::testing

/// Readable strings in GoogleTest's failure messages.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList& list, std::ostream* out)
{
    *out << '[' << list.join(QStringLiteral(" | ")).toStdString() << ']';
}
