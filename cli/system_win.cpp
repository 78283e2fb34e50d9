// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "system.h"

#include "hiddenfiles.h"

#include <io.h>
#include <string>
#include <windows.h>

#include <shellapi.h>

namespace fs = std::filesystem;

std::vector<fs::path> commandLineArguments(int, char*[])
{
    // The narrow argv is in the ANSI code page and loses names outside it.
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<fs::path> arguments;
    for (int i = 1; i < count; ++i)
        arguments.emplace_back(std::wstring(wide[i]));
    LocalFree(wide);
    return expandWildcards(arguments);
}

bool isTerminal(std::FILE* stream)
{
    const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode);
}

bool writeText(std::FILE* to, std::string_view text)
{
    if (text.empty())
        return true;
    // A console shows bytes in its own code page (850 on a Danish system, not the ANSI 1252),
    // so it is given the characters themselves. What is already buffered goes first.
    const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(to)));
    DWORD mode = 0;
    if (handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode)) {
        const int length
            = MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
        std::wstring wide(std::size_t(length), L'\0');
        MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), wide.data(), length);
        std::fflush(to);
        DWORD written = 0;
        if (WriteConsoleW(handle, wide.data(), DWORD(wide.size()), &written, nullptr))
            return true;
    }
    // A file or a pipe gets UTF-8, the bytes as they are: every name fits, where the ANSI code
    // page would put a like-looking letter in place of one it lacks ("Ł" as "L") and a script
    // would act on another file.
    return std::fwrite(text.data(), 1, text.size(), to) == text.size();
}

int compareNames(const fs::path::string_type& a, const fs::path::string_type& b)
{
    // The user's locale, as the main window's collator takes it on Windows, so that a folder
    // lists in the same order in both; Windows has no C locale for which that would need care.
    const int order = CompareStringEx(LOCALE_NAME_USER_DEFAULT, NORM_IGNORECASE, a.c_str(),
        int(a.size()), b.c_str(), int(b.size()), nullptr, nullptr, 0);
    if (order == 0)
        return a.compare(b); // no collation at all: by code unit
    return order - CSTR_EQUAL;
}

bool isHiddenFile(const fs::directory_entry& entry) { return HiddenFiles::isHidden(entry.path()); }

void ignoreBrokenPipe() { }
