// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Paragraph.h"
#include "WordNames.h"

#include <QString>

#include <vector>

namespace quillsift::docx {

/// The story's paragraphs with their basic character formatting, as the host window shows them.
/// Reads the paragraphs and their XML; changes nothing.
class FormattedView
{
  public:
    /// A stretch of a paragraph with the same direct character formatting.
    struct Run {
        QString text;
        bool bold = false;
        bool italic = false;
        bool underline = false;
    };
    /// A paragraph still in the story, with its place in the original order (as the deletion
    /// log counts it).
    struct Paragraph {
        qint64 paragraph = 0;
        std::vector<Run> runs;
    };

    static std::vector<Paragraph> of(const std::vector<docx::Paragraph>& paragraphs, const WordNames& names);
    /// The direct formatting of one piece's run (text empty).
    static Run formatOf(const Piece& piece, const WordNames& names);
};

} // namespace quillsift::docx
