// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Names come from other people: a name may hold characters that move the cursor, hide the text
// after them, reverse it (the bidi controls) or start a new paragraph, so that a message can be
// made to say something else. These tell such characters apart, for every place a name is shown.

// The length of the well-formed UTF-8 character at the start of `text`, or 0 where the bytes
// are none: a stray or missing continuation byte, an overlong form (C0 9B for ESC), a UTF-16
// surrogate, or a code point past U+10FFFF.
std::size_t characterLength(std::string_view text);

// How many bytes at the start of `text` must not be shown as they are: a whole character from
// C0, DEL, C1, the bidi controls U+202A to U+202E and U+2066 to U+2069, or the line and paragraph
// separators U+2028 and U+2029; one byte where the bytes are no character. 0 for the rest.
std::size_t unshownLength(std::string_view text);

// `text` with each such character written visibly: a byte as \xNN, a character as \uNNNN.
std::string visiblyEscaped(std::string_view text);
