// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "columns.h"

namespace Columns {

namespace {

    constexpr std::string_view DropMark = "74....";
    constexpr std::string_view CoordinateMark = "82..10-";
    constexpr std::string_view Word82Start = " 82..10+";
    constexpr std::string_view Word81StartMinus = "81..10-";
    constexpr std::string_view Word81StartPlus = "81..10+";
    constexpr std::string_view StraightMark = "71....+00000000STRAIGHT";

    char columnAt(std::string_view line, std::size_t column)
    {
        return column <= line.size() ? line[column - 1] : '\0';
    }

    void set(std::string& slot, std::string_view first, std::string_view second = {})
    {
        slot.assign(first);
        slot.append(second);
    }

}

std::string_view cut(std::string_view line, std::size_t column, std::size_t n)
{
    const std::size_t from = column - 1;
    if (from >= line.size())
        return {};
    return line.substr(from, n);
}

std::size_t find(std::string_view line, std::string_view text)
{
    const std::size_t at = line.find(text);
    return at == std::string_view::npos ? 0 : at + 1;
}

bool isDropped(std::string_view line) { return find(line, DropMark) >= 2; }

void alignmentColumns(std::string_view line, std::string& head, std::string& tail,
    std::string& word81, std::string& word82)
{
    const std::size_t p = find(line, CoordinateMark);

    if (p >= 1) {
        set(word82, Word82Start, cut(line, 105, 16));
        set(word81, p > 1 ? Word81StartMinus : Word81StartPlus, cut(line, 129, 16));
    } else {
        set(word82, cut(line, 105, 16));
        set(word81, cut(line, 129, 16));
    }
    set(head, cut(line, 1, 55));

    if (p == 0) {
        set(tail, cut(line, 56, 41));
        return;
    }
    const char sign = columnAt(line, 56);
    // The straight mark wins over the sign; it is looked for only where it matters.
    if (p > 1 && (sign == '-' || find(line, StraightMark) > 0))
        set(tail, "+", cut(line, 57, 41));
    else if (p > 1 && sign == '+')
        set(tail, "-", cut(line, 57, 41));
    else
        // A mark at column 1, or no sign and no straight mark: the line keeps its own
        // columns 56 to 97, so the layout holds and nothing of another file leaks in.
        set(tail, cut(line, 56, 42));
}

void profileColumns(std::string_view line, std::string& head, std::string& tail)
{
    set(head, cut(line, 1, 55));
    set(tail, cut(line, 57, 40));
}

std::string_view profileSign(std::string_view line)
{
    const char sign = columnAt(line, 56);
    return sign == '-' ? "+" : sign == '+' ? "-" : std::string_view();
}

}
