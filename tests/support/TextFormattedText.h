// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <engine/FormattedText.h>

#include <QString>

namespace quillsift::testing {

/// What a TextRange's FormattedText carries: the test host has no formatting, only text.
class TextFormattedText : public engine::FormattedText
{
  public:
    explicit TextFormattedText(QString text)
        : m_text(std::move(text))
    {
    }
    const QString& text() const
    {
        return m_text;
    }

  private:
    QString m_text;
};

} // namespace quillsift::testing
