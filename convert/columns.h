// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

// The column rules of both conversions, on one line's bytes as read (without
// its line end). Columns are counted from 1. Nothing here reads or writes a file.
namespace Columns {

// n characters from column s: fewer when the line ends sooner, none when it is
// shorter than s.
std::string_view cut(std::string_view line, std::size_t column, std::size_t n);

// The column of the first exact occurrence of `text` in `line`, or 0.
std::size_t find(std::string_view line, std::string_view text);

// An alignment line holding "74...." from column 2 on is left out of the file.
bool isDropped(std::string_view line);

// The four pieces of a converted alignment line, each rebuilt in the caller's
// storage. The output line is head, tail, word 81, word 82 and one space.
void alignmentColumns(std::string_view line, std::string& head, std::string& tail,
    std::string& word81, std::string& word82);

// The head and tail of a profile line; between them stands profileSign().
void profileColumns(std::string_view line, std::string& head, std::string& tail);

// The sign written in place of column 56: "+" for "-", "-" for "+", otherwise nothing.
std::string_view profileSign(std::string_view line);

}
