// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace quillsift::engine {

/// Units a range can step by; the values are Word's own (wdWord, wdParagraph).
enum class Unit {
    Word = 2,
    Paragraph = 4,
};

/// Find.Execute's Wrap argument; only "stop at the end of the range" is used.
enum class FindWrap {
    Stop = 0,
};

/// Find.Execute's Replace argument; only "replace every match" is used.
enum class FindReplace {
    None = 0,
    One = 1,
    All = 2,
};

/// Character codes the hosts put into a story's text.
namespace chars {
inline constexpr char16_t Object = 1;        // picture, drawing, chart, embedded object
inline constexpr char16_t NoteReference = 2; // footnote or endnote reference
inline constexpr char16_t EndOfCell = 7;
inline constexpr char16_t Tab = 9;
inline constexpr char16_t LineBreak = 11;
inline constexpr char16_t PageBreak = 12;
inline constexpr char16_t ParagraphMark = 13;
inline constexpr char16_t ColumnBreak = 14;
inline constexpr char16_t NoBreakHyphen = 30;
inline constexpr char16_t SoftHyphen = 31;
inline constexpr char16_t Space = 32;
} // namespace chars

} // namespace quillsift::engine
