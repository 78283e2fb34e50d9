// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

// The batch converter behind sigtelinje-convert: the same conversions, output
// names and atomic writes as a click in the main window, for many files at once.
namespace Batch {

enum ExitStatus { AllConverted = 0, SomeFailed = 1, UsageError = 2 };

// Runs one command line (without the program name). Output paths go to `out`,
// one a line; each failure is one line on `err`.
int run(const std::vector<std::filesystem::path>& arguments, std::FILE* out, std::FILE* err);

// `text` as it may go to `stream`: on a terminal every character that could move, hide or
// reverse text is quoted as `ls` quotes it (line ends kept); to a pipe or a file, unchanged.
std::string shownOn(std::FILE* stream, std::string text);

}
