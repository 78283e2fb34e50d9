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

// CON, PRN, AUX, NUL, COM1 to COM9 and LPT1 to LPT9, alone or with a colon, in any case.
// Only such a bare name is taken as a device by full(); Windows 10 also took "prn.gsi" or
// "C:\road\nul.txt" for the device, which is not the file the user picked from a list.
bool isDeviceName(std::wstring text);

// The full path against the current folder (which may itself be on a share), "." and ".."
// resolved; a verbatim path comes back untouched, an empty path stays empty. Unlike
// GetFullPathNameW it keeps every name as written: "prn.gsi" in a folder is that file, not the
// printer, and a folder "dir." is not its sibling "dir". Only a bare device name ("NUL", "CON:")
// is the device, as Windows 11 takes it.
std::filesystem::path full(const std::filesystem::path& path);

// A full path in its \\?\ or \\?\UNC\ form, which every call of the file layer may take beyond
// 260 characters, so that the temporary name beside a long output never counts against it.
std::filesystem::path extended(const std::filesystem::path& full);

// A \\?\ path as the user would write it (C:\..., \\server\share\...), where it is short enough
// to be taken that way; else unchanged. For messages and for the editor's file name.
std::filesystem::path plain(const std::filesystem::path& path);

// The folder that holds a full path's last part, with its trailing backslash, so that a
// drive's or a share's root stays a root: C:\ and \\server\share\, never C: or \\server\share.
std::filesystem::path folderOf(const std::filesystem::path& full);

}
