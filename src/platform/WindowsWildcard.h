// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace quillsift::platform {

/// A file-name pattern matched the way the Windows directory search matches it, so that a folder
/// scan finds on every platform what it finds on Windows:
/// - letters match regardless of case;
/// - "*" matches any run of characters, "?" exactly one;
/// - a pattern that ends in ".*" also matches names without that dot ("*.*" matches every name);
/// - a pattern that ends in "." also matches names that have no dot at all;
/// - a pattern whose extension (after its last dot) has exactly three characters also matches names
///   whose extension is longer and begins with a match: "*.doc" takes in "a.docx" and "a.DOCM", as
///   the short 8.3 names make it do on Windows.
class WindowsWildcard
{
  public:
    explicit WindowsWildcard(const QString& pattern);

    bool matches(const QString& name) const;
    /// True when every name matches, so a caller may skip the test.
    bool matchesEverything() const;

  private:
    static bool globMatch(std::u32string_view pattern, std::u32string_view name);

    std::u32string m_pattern;
    /// The pattern without its trailing ".*" or "."; empty when it has none.
    std::u32string m_withoutDotStar;
    std::u32string m_withoutTrailingDot;
    bool m_everything = false;
    bool m_threeCharacterExtension = false;
};

} // namespace quillsift::platform
