// SPDX-License-Identifier: GPL-3.0-or-later
#include "GTestPrinters.h"

QString visible(const QString& text)
{
    QString result;
    for (const QChar c : text) {
        if (c.unicode() < 32) {
            result += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        } else {
            result += c;
        }
    }
    return result;
}

void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << visible(text).toStdString() << '"';
}

void PrintTo(const QStringList& texts, std::ostream* os)
{
    *os << '{';
    for (qsizetype i = 0; i < texts.size(); ++i) {
        *os << (i ? ", " : "");
        PrintTo(texts.at(i), os);
    }
    *os << '}';
}
