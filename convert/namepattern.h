// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

// The wildcard patterns of the file lists and of the batch converter: '*' for
// any run of characters, '?' for one, ASCII letters compared without regard to
// case, as the lists have always matched "al*.gsi" and "pr*.gsi". Works on
// names as the platform holds them: bytes, or UTF-16 on Windows.
template <typename Char>
bool matchesPattern(std::basic_string_view<Char> pattern, std::basic_string_view<Char> name)
{
    const auto fold = [](Char c) { return (c >= 'A' && c <= 'Z') ? Char(c - 'A' + 'a') : c; };
    // Iterative glob with one backtrack point for the last '*'.
    std::size_t p = 0, n = 0, mark = 0;
    std::size_t star = std::basic_string_view<Char>::npos;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            mark = n;
        } else if (p < pattern.size() && (pattern[p] == '?' || fold(pattern[p]) == fold(name[n]))) {
            ++p;
            ++n;
        } else if (star != std::basic_string_view<Char>::npos) {
            p = star + 1;
            n = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}
