// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "inputfile.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <istream>
#include <string>
#include <string_view>

// The conversion workspace and the two conversions. The workspace lives for the
// whole run and is shared by both conversions; each conversion overwrites the
// slots it uses and never reads a slot past its own line count.
namespace Module1 {

constexpr int MaxLines = 1000;
constexpr std::uintmax_t MaxInputBytes = MaxFileBytes;
using Table = std::array<std::string, MaxLines + 1>;

// The file a click asks to convert, and the file that conversion writes.
extern std::filesystem::path InputPath;
extern std::filesystem::path OutputPath;
extern Table LineTable;
extern Table HeadColumn;
extern Table TailColumn;
extern Table Word82Column;
extern Table Word81Column;

enum class Conversion { Alignment, Profile };

// The output name: the input less its last four characters, plus "PI.gsi" or "VPI.gsi".
std::filesystem::path outputPathFor(const std::filesystem::path& input, Conversion kind);

// The input path of a list entry: the folder, the native separator and the
// name, joined without looking at how the folder ends.
std::filesystem::path inputPathFor(
    const std::filesystem::path& folder, const std::filesystem::path& name);

// Reads `input` into LineTable (and, for a profile, the head and tail columns),
// applying the drop rule and the 1000-line limit, and returns the line count.
// Throws GsiError 9, naming `inputName`, when more lines remain than the table
// holds.
// `chunkSize` is how much is read from the stream at a time.
int readLines(Conversion kind, std::istream& input, const std::filesystem::path& inputName,
    std::size_t chunkSize = 64 * 1024);

// The output bytes for the first `lineCount` lines of the workspace.
std::string renderLines(Conversion kind, int lineCount);

// Read, convert and render in memory, without touching any file.
std::string convertBytes(Conversion kind, std::string_view input);

// The whole frame on files: reads `input`, converts, and writes the output
// beside it in one step. Returns the output's path. Throws GsiError on any
// failure, in which case no file has been created or changed.
std::filesystem::path convertFile(Conversion kind, const std::filesystem::path& input);

// Read and convert `input` as convertFile does, and return the output path it
// would write, but write nothing.
std::filesystem::path tryConversion(Conversion kind, const std::filesystem::path& input);

// The conversions behind a click: InputPath in, OutputPath set and written.
void ConvertAlignment();
void ConvertProfile();

}
