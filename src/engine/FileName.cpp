// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileName.h"

#include <QByteArrayView>

#include <algorithm>

namespace quillsift::engine::FileName {

namespace {

constexpr char16_t firstEscape = 0xDC80;
constexpr char16_t lastEscape = 0xDCFF;

bool isEscape(QChar c)
{
    return c.unicode() >= firstEscape && c.unicode() <= lastEscape;
}

/// The length of the UTF-8 sequence at bytes[at], or 0 where none starts there.
qsizetype sequenceAt(const QByteArray& bytes, qsizetype at)
{
    for (qsizetype length = 1; length <= 4 && at + length <= bytes.size(); ++length) {
        if (QByteArrayView(bytes).sliced(at, length).isValidUtf8()) {
            return length;
        }
    }
    return 0;
}

} // namespace

QString fromNative(const QByteArray& bytes)
{
    if (QByteArrayView(bytes).isValidUtf8()) {
        return QString::fromUtf8(bytes);
    }
    QString name;
    for (qsizetype at = 0; at < bytes.size();) {
        if (const qsizetype length = sequenceAt(bytes, at)) {
            name += QString::fromUtf8(bytes.constData() + at, length);
            at += length;
        } else {
            name += QChar(char16_t(0xDC00 + quint8(bytes[at])));
            ++at;
        }
    }
    return name;
}

QByteArray toNative(const QString& name)
{
    if (!std::any_of(name.begin(), name.end(), isEscape)) {
        return name.toUtf8();
    }
    QByteArray bytes;
    qsizetype from = 0;
    for (qsizetype at = 0; at < name.size(); ++at) {
        if (isEscape(name[at])) {
            bytes += QStringView(name).sliced(from, at - from).toUtf8();
            bytes += char(name[at].unicode() - 0xDC00);
            from = at + 1;
        }
    }
    bytes += QStringView(name).sliced(from).toUtf8();
    return bytes;
}

QString forDisplay(const QString& name)
{
    QString shown;
    for (const QChar c : name) {
        if (isEscape(c)) {
            shown += QStringLiteral("\\x") +
                     QString::number(c.unicode() - 0xDC00, 16).toUpper().rightJustified(2, QLatin1Char('0'));
        } else {
            shown += c;
        }
    }
    return shown;
}

QString withReplacements(const QString& name)
{
    QString replaced = name;
    for (QChar& c : replaced) {
        if (isEscape(c)) {
            c = QChar::ReplacementCharacter;
        }
    }
    return replaced;
}

} // namespace quillsift::engine::FileName
