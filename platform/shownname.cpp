// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "shownname.h"

#include <cstdio>

namespace {

unsigned char byteAt(std::string_view text, std::size_t i)
{
    return static_cast<unsigned char>(text[i]);
}

char32_t decoded(std::string_view text, std::size_t length)
{
    if (length == 1)
        return byteAt(text, 0);
    char32_t code = byteAt(text, 0) & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i)
        code = (code << 6) | (byteAt(text, i) & 0x3F);
    return code;
}

bool hidesOrMoves(char32_t code)
{
    return code < 0x20 || (code >= 0x7F && code < 0xA0) || code == 0x2028 || code == 0x2029
        || (code >= 0x202A && code <= 0x202E) || (code >= 0x2066 && code <= 0x2069);
}

}

std::size_t characterLength(std::string_view text)
{
    if (text.empty())
        return 0;
    const unsigned char lead = byteAt(text, 0);
    const std::size_t length = lead < 0x80 ? 1
        : (lead & 0xE0) == 0xC0            ? 2
        : (lead & 0xF0) == 0xE0            ? 3
        : (lead & 0xF8) == 0xF0            ? 4
                                           : 0;
    if (length == 0 || length > text.size())
        return 0;
    for (std::size_t i = 1; i < length; ++i)
        if ((byteAt(text, i) & 0xC0) != 0x80)
            return 0;
    // The shortest form only, and only what UTF-8 may hold.
    constexpr char32_t smallest[] = { 0, 0, 0x80, 0x800, 0x10000 };
    const char32_t code = decoded(text, length);
    if (code < smallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

std::size_t unshownLength(std::string_view text)
{
    const std::size_t length = characterLength(text);
    if (length == 0)
        return text.empty() ? 0 : 1;
    return hidesOrMoves(decoded(text, length)) ? length : 0;
}

std::string visiblyEscaped(std::string_view text)
{
    std::string shown;
    shown.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::string_view rest = text.substr(i);
        const std::size_t unshown = unshownLength(rest);
        const std::size_t length = unshown ? unshown : characterLength(rest);
        char escape[16];
        if (unshown && (length == 1 || characterLength(rest) == 0))
            std::snprintf(escape, sizeof escape, "\\x%02X", unsigned(byteAt(rest, 0)));
        else if (unshown)
            std::snprintf(escape, sizeof escape, "\\u%04X", unsigned(decoded(rest, length)));
        if (unshown)
            shown += escape;
        else
            shown += rest.substr(0, length);
        i += length;
    }
    return shown;
}
