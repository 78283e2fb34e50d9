// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "winpath_win.h"

#include <string>
#include <windows.h>

namespace fs = std::filesystem;

namespace WinPath {

bool isVerbatim(const fs::path& path)
{
    const std::wstring& text = path.native();
    return text.starts_with(L"\\\\?\\") || text.starts_with(L"\\\\.\\")
        || text.starts_with(L"\\??\\");
}

fs::path full(const fs::path& path)
{
    if (path.empty() || isVerbatim(path))
        return path;
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD size
            = GetFullPathNameW(path.c_str(), DWORD(buffer.size()), buffer.data(), nullptr);
        if (size == 0)
            return path; // the call that uses it names the cause
        if (size < buffer.size()) {
            buffer.resize(size);
            return fs::path(std::move(buffer));
        }
        buffer.resize(size);
    }
}

fs::path extended(const fs::path& full)
{
    const std::wstring& text = full.native();
    if (isVerbatim(full))
        return full;
    if (text.starts_with(L"\\\\"))
        return fs::path(L"\\\\?\\UNC\\" + text.substr(2));
    if (text.size() >= 3 && text[1] == L':' && text[2] == L'\\')
        return fs::path(L"\\\\?\\" + text);
    return full;
}

fs::path folderOf(const fs::path& full)
{
    const std::wstring& text = full.native();
    const std::size_t last = text.find_last_of(L"\\/");
    if (last == std::wstring::npos)
        return fs::path(L".\\");
    return fs::path(text.substr(0, last + 1));
}

}
