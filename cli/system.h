// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdio>
#include <filesystem>
#include <string_view>
#include <vector>

// What the batch converter needs from the platform; system_posix.cpp and
// system_win.cpp hold the two sides.

// The program's arguments, without the program name, as the file system names
// things: bytes on Linux, UTF-16 on Windows. On Windows the shell hands
// wildcards over unexpanded, so they are expanded here (expandWildcards).
std::vector<std::filesystem::path> commandLineArguments(int argc, char* argv[]);

// A closed pipe on stdout is an error to report like any other, not a signal
// that ends the program halfway (Linux; nothing to do on Windows).
void ignoreBrokenPipe();

// Writes UTF-8 text (where a Linux path stands as its own bytes) as the
// console expects it: unchanged on Linux; on Windows as characters to a console,
// and as UTF-8 to a file or a pipe. False when it could not be written, with the
// cause in errno.
bool writeText(std::FILE* to, std::string_view text);

// Whether the stream is a terminal (a console on Windows), where a name's control
// characters would be taken as commands to the terminal.
bool isTerminal(std::FILE* stream);

// Hidden files are left out when a wildcard is expanded, as the file lists
// leave them out: a leading dot on Linux, the hidden attribute on Windows.
bool isHiddenFile(const std::filesystem::directory_entry& entry);

// Compares two names alphabetically without regard to letter case, as the main window's lists
// sort them: below, equal to or above zero. On Windows, where the converter expands wildcards
// itself, by the system's collation for the user's locale (..., z, æ, ø, å for a Danish user);
// on Linux the shell has sorted them already, and only ASCII letters are folded.
int compareNames(
    const std::filesystem::path::string_type& a, const std::filesystem::path::string_type& b);

// `*` and `?` in the file name part of each argument (not in an option before
// "--") become the names of the matching files in that folder, sorted by name
// without regard to letter case (names alike but for case in a fixed order).
// A pattern without a match is kept as it is, so that it is reported like any
// missing file.
std::vector<std::filesystem::path> expandWildcards(
    const std::vector<std::filesystem::path>& arguments);
