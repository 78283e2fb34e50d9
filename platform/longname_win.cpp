// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "longname.h"

#include "winpath_win.h"

#include <string>
#include <windows.h>

namespace fs = std::filesystem;

fs::path longName(const fs::path& path)
{
    // Only a short name holds a tilde; any other is asked nothing.
    const std::wstring name = path.filename().native();
    if (name.find(L'~') == std::wstring::npos)
        return path;
    // The folder's entry for the name, found by either of its names, holds the long one.
    const std::wstring full = WinPath::extended(WinPath::full(path)).native();
    WIN32_FIND_DATAW entry;
    const HANDLE found = FindFirstFileExW(
        full.c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr, 0);
    if (found == INVALID_HANDLE_VALUE)
        return path;
    FindClose(found);
    const std::wstring longer = entry.cFileName;
    if (longer.empty() || longer == name)
        return path;
    return path.parent_path() / longer;
}
