// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowsWildcard.h"

namespace quillsift::platform {

namespace {
std::u32string folded(const QString& text)
{
    return text.toCaseFolded().toStdU32String();
}
} // namespace

WindowsWildcard::WindowsWildcard(const QString& pattern)
    : m_pattern(folded(pattern))
{
    m_everything = m_pattern == U"*" || m_pattern == U"*.*";
    if (m_pattern.size() >= 2 && m_pattern.ends_with(U".*")) {
        m_withoutDotStar = m_pattern.substr(0, m_pattern.size() - 2);
    }
    if (m_pattern.ends_with(U'.')) {
        const auto last = m_pattern.find_last_not_of(U'.');
        if (last != std::u32string::npos) {
            m_withoutTrailingDot = m_pattern.substr(0, last + 1);
        }
    }
    const auto dot = m_pattern.rfind(U'.');
    if (dot != std::u32string::npos) {
        const std::u32string_view extension = std::u32string_view(m_pattern).substr(dot + 1);
        m_threeCharacterExtension = extension.size() == 3 && extension.find(U'*') == std::u32string_view::npos;
    }
}

bool WindowsWildcard::matchesEverything() const
{
    return m_everything;
}

bool WindowsWildcard::matches(const QString& name) const
{
    if (m_everything) {
        return true;
    }
    const std::u32string candidate = folded(name);
    if (globMatch(m_pattern, candidate)) {
        return true;
    }
    const auto dot = candidate.rfind(U'.');
    if (!m_withoutDotStar.empty() && globMatch(m_withoutDotStar, candidate)) {
        return true;
    }
    if (!m_withoutTrailingDot.empty() && dot == std::u32string::npos && globMatch(m_withoutTrailingDot, candidate)) {
        return true;
    }
    // Windows also matches the pattern against the short name, whose extension is the first three
    // characters of the long one.
    if (m_threeCharacterExtension && dot != std::u32string::npos && candidate.size() - dot - 1 > 3) {
        return globMatch(m_pattern, std::u32string_view(candidate).substr(0, dot + 4));
    }
    return false;
}

bool WindowsWildcard::globMatch(std::u32string_view pattern, std::u32string_view name)
{
    // Greedy matching that backs up to the last "*" on a mismatch: linear in practice, and never
    // exponential, whatever the pattern.
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t starAt = std::u32string_view::npos;
    std::size_t resumeAt = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == U'*') {
            starAt = p++;
            resumeAt = n;
        } else if (p < pattern.size() && (pattern[p] == U'?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (starAt != std::u32string_view::npos) {
            p = starAt + 1;
            n = ++resumeAt;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == U'*') {
        ++p;
    }
    return p == pattern.size();
}

} // namespace quillsift::platform
