// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <ostream>

/// A text with its control characters spelt out, so that failures show marks, tabs and cells.
QString visible(const QString& text);

// GoogleTest finds these by argument-dependent lookup, hence the global namespace.
void PrintTo(const QString& text, std::ostream* os);
void PrintTo(const QStringList& texts, std::ostream* os);
