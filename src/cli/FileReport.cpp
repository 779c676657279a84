// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileReport.h"

#include "engine/FileName.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <cmath>
#include <utility>

namespace quillsift::cli {

namespace {

QJsonValue orNull(const QString& text)
{
    return text.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(text);
}

/// One value in JSON's own spelling, with Qt doing the escaping.
QByteArray encoded(const QJsonValue& value)
{
    const QByteArray array = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}

bool linesMode(const FileReport& report)
{
    return report.mode == engine::RemovalMode::Lines;
}

} // namespace

QByteArray jsonLine(const FileReport& report)
{
    // Milliseconds are as fine as a wall-clock figure for a whole file means anything.
    const double seconds = std::round(report.seconds * 1000.0) / 1000.0;
    // Written member by member, because QJsonObject sorts its keys and the documented order
    // (file, output, mode, counts, seconds, error, repairs) is easier to read in a log.
    const std::pair<const char*, QJsonValue> members[] = {
        {"file", engine::FileName::forDisplay(report.file)},
        {"output", orNull(report.output)},
        {"mode", linesMode(report) ? QStringLiteral("lines") : QStringLiteral("words")},
        {"paragraphs_before", report.paragraphsBefore},
        {"paragraphs_after", report.paragraphsAfter},
        {"words_before", report.wordsBefore},
        {"words_after", report.wordsAfter},
        {"removed", report.removed},
        {"seconds", seconds},
        {"error", orNull(report.error)},
        {"repairs", QJsonArray::fromStringList(report.repairs)},
    };
    QByteArray line = "{";
    for (const auto& [key, value] : members) {
        if (line.size() > 1) {
            line += ',';
        }
        line += '"';
        line += key;
        line += "\":";
        line += encoded(value);
    }
    line += '}';
    return line;
}

QString humanLine(const FileReport& report, bool dryRun)
{
    if (!report.succeeded()) {
        return QStringLiteral("%1: failed: %2").arg(engine::FileName::forDisplay(report.file), report.error);
    }
    const QString unit = linesMode(report) ? QStringLiteral("paragraphs") : QStringLiteral("words");
    const qint64 before = linesMode(report) ? report.paragraphsBefore : report.wordsBefore;
    return QStringLiteral("%1 -> %2%3: %4 of %5 %6 removed (%7 s)")
        .arg(engine::FileName::forDisplay(report.file), report.output,
             dryRun ? QStringLiteral(" (dry run, not written)") : QString())
        .arg(report.removed)
        .arg(before)
        .arg(unit)
        .arg(report.seconds, 0, 'f', 2);
}

QStringList repairLines(const FileReport& report)
{
    QStringList lines;
    for (const QString& repair : report.repairs) {
        lines << QStringLiteral("%1: repaired: %2").arg(engine::FileName::forDisplay(report.file), repair);
    }
    return lines;
}

} // namespace quillsift::cli
