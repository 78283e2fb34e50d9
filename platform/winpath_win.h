// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>

// Paths as Windows itself resolves them, for every part of the programs that needs a full
// path: drive paths (C:\...), UNC paths (\\server\share\...) and the verbatim forms (\\?\C:\...,
// \\?\UNC\server\share\...). MinGW's std::filesystem::absolute drops the leading \\ of a UNC
// path, which would put a share's output under C:\<server>\<share>, so it is not used here.
namespace WinPath {

// Whether the system takes the path as it stands, without resolving "." or ".." or counting
// it against the 260-character limit: \\?\ and \\.\ paths.
bool isVerbatim(const std::filesystem::path& path);

// The full path as GetFullPathNameW gives it, against the current folder (which may itself be
// on a share); a verbatim path comes back untouched. An empty path stays empty.
std::filesystem::path full(const std::filesystem::path& path);

// A full path in its \\?\ or \\?\UNC\ form, which every call of the file layer may take beyond
// 260 characters, so that the temporary name beside a long output never counts against it.
std::filesystem::path extended(const std::filesystem::path& full);

// The folder that holds a full path's last part, with its trailing backslash, so that a
// drive's or a share's root stays a root: C:\ and \\server\share\, never C: or \\server\share.
std::filesystem::path folderOf(const std::filesystem::path& full);

}
