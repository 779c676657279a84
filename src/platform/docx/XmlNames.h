// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

namespace quillsift::docx {

/// The rules XML and its namespaces set for names, for checks of what a lenient parser let
/// through. Owns nothing.
namespace XmlNames {

/// A qualified name's parts, split in one pass over its bytes.
struct Name {
    std::string_view prefix;
    std::string_view local;
    /// Whether the name has the form namespaces allow: no empty prefix or local part, one
    /// colon at most.
    bool wellFormed = true;
    bool ascii = true;
};

Name split(const char* name);

/// Whether a name with characters beyond ASCII is made of those every XML reader takes in names:
/// within the ranges of XML 1.0's fifth edition, and letters (or, after the first, digits and
/// marks) as its earlier editions, which some readers still follow, require. The text is UTF-8.
bool isName(std::string_view name);

} // namespace XmlNames

} // namespace quillsift::docx
