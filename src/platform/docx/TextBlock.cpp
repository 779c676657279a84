// SPDX-License-Identifier: GPL-3.0-or-later
#include "TextBlock.h"

#include <algorithm>

namespace quillsift::docx {

namespace {

bool isLatin1(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() <= 0xff; });
}

} // namespace

TextBlock::TextBlock(QStringView text)
{
    if (isLatin1(text)) {
        m_store = text.toLatin1();
    } else {
        m_store = text.toString();
    }
}

QLatin1StringView TextBlock::latin1() const
{
    if (const QByteArray* latin = std::get_if<QByteArray>(&m_store)) {
        return QLatin1StringView(latin->constData(), latin->size());
    }
    return {};
}

QStringView TextBlock::utf16() const
{
    if (const QString* text = std::get_if<QString>(&m_store)) {
        return *text;
    }
    return {};
}

QString TextBlock::toString() const
{
    if (const QByteArray* latin = std::get_if<QByteArray>(&m_store)) {
        return QString::fromLatin1(*latin);
    }
    return std::get<QString>(m_store);
}

QString TextBlock::mid(qsizetype from, qsizetype length) const
{
    if (const QByteArray* latin = std::get_if<QByteArray>(&m_store)) {
        return QString::fromLatin1(latin->constData() + from, length);
    }
    const QString& text = std::get<QString>(m_store);
    return length == text.size() ? text : QString(text.constData() + from, length);
}

void TextBlock::appendTo(QString& out, qsizetype from, qsizetype length) const
{
    if (const QByteArray* latin = std::get_if<QByteArray>(&m_store)) {
        out.append(QLatin1StringView(latin->constData() + from, length));
    } else {
        out.append(QStringView(std::get<QString>(m_store)).mid(from, length));
    }
}

void TextBlock::remove(qsizetype from, qsizetype length)
{
    if (QByteArray* latin = std::get_if<QByteArray>(&m_store)) {
        latin->remove(from, length);
    } else {
        std::get<QString>(m_store).remove(from, length);
    }
}

void TextBlock::insert(qsizetype position, QStringView text)
{
    QByteArray* latin = std::get_if<QByteArray>(&m_store);
    if (latin && isLatin1(text)) {
        latin->insert(position, text.toLatin1());
        return;
    }
    if (latin) {
        // The first character past U+00FF makes the block UTF-16.
        m_store = QString::fromLatin1(*latin);
    }
    std::get<QString>(m_store).insert(position, text);
}

} // namespace quillsift::docx
