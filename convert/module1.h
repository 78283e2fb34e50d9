// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "inputfile.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

// The two conversions as a library: each call reads its input, converts it in memory and writes
// the output beside it, and keeps nothing between calls, so any thread may call it at any time.
namespace Module1 {

constexpr int MaxLines = 1000;
constexpr std::uintmax_t MaxInputBytes = MaxFileBytes;

enum class Conversion { Alignment, Profile };

// The output name: the input less its last four characters, plus "PI.gsi" or "VPI.gsi".
std::filesystem::path outputPathFor(const std::filesystem::path& input, Conversion kind);

// The input path of a list entry: the folder, the native separator and the
// name, joined without looking at how the folder ends.
std::filesystem::path inputPathFor(
    const std::filesystem::path& folder, const std::filesystem::path& name);

// Read and convert in memory, without touching any file. Throws GsiError 9 when more than
// MaxLines lines would be kept.
std::string convertBytes(Conversion kind, std::string_view input);

// What one conversion of a file did: the output it wrote (or, in a dry run, would write), or
// the error that stopped it, with its number and Danish description naming the file.
struct Result {
    std::filesystem::path output;
    int error = 0;
    std::string description;
    bool ok() const { return error == 0; }
};

enum class Mode { Write, DryRun };

// The whole frame on files: reads `input`, converts, and writes the output beside it in one
// step. On failure no file has been created or changed. A dry run reads and converts but
// writes nothing.
Result convertFile(Conversion kind, const std::filesystem::path& input, Mode mode = Mode::Write);

// The two conversions by the names the click handlers use: convertFile for one kind.
Result ConvertAlignment(const std::filesystem::path& inputPath);
Result ConvertProfile(const std::filesystem::path& inputPath);

}
