// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <filesystem>

// Paths exactly as the file system holds them, and the text the window shows
// for them. On Linux a name is any string of bytes, and one that is not valid
// UTF-8 has no exact text form: the window keeps the bytes to open the file or
// folder and shows the decoded text. On Windows names are UTF-16 either way.
// Each platform has its own file: nativepath_posix.cpp or nativepath_win.cpp.
namespace NativePath {

// The path for a text, as the system would encode a name typed by the user.
std::filesystem::path fromText(const QString& text);
// The decoded text, with '/' separators.
QString toText(const std::filesystem::path& path);
// The decoded text with the platform's own separators, as the window shows it.
QString shown(const std::filesystem::path& path);

}
