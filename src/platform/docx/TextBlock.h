// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QLatin1StringView>
#include <QString>
#include <QStringView>

#include <variant>

namespace quillsift::docx {

/// A stretch of a paragraph's text, a short paragraph's whole text or one block of a long one's:
/// a byte a character while none is past U+00FF, as in most paragraphs of most documents, and
/// UTF-16 once one is. It owns its characters and touches nothing else.
class TextBlock
{
  public:
    TextBlock() = default;
    explicit TextBlock(QStringView text);

    qsizetype size() const
    {
        if (const QByteArray* latin = std::get_if<QByteArray>(&m_store)) {
            return latin->size();
        }
        return std::get<QString>(m_store).size();
    }
    bool empty() const
    {
        return size() == 0;
    }
    QChar at(qsizetype index) const
    {
        if (const QByteArray* latin = std::get_if<QByteArray>(&m_store)) {
            return QChar(char16_t(uchar(latin->at(index))));
        }
        return std::get<QString>(m_store).at(index);
    }
    /// The characters of a block kept a byte a character, or an empty view.
    QLatin1StringView latin1() const;
    /// The characters of a block kept as UTF-16, or an empty view.
    QStringView utf16() const;
    QString toString() const;
    /// The characters [from, from + length): the block's own string, shared, when that is all of it.
    QString mid(qsizetype from, qsizetype length) const;
    /// Appends the characters [from, from + length) to out.
    void appendTo(QString& out, qsizetype from, qsizetype length) const;
    void remove(qsizetype from, qsizetype length);
    void insert(qsizetype position, QStringView text);

  private:
    std::variant<QByteArray, QString> m_store;
};

} // namespace quillsift::docx
