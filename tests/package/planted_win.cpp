// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A program planted under the name of a system tool (icacls.exe) beside the installer, where a
// downloaded setup.exe lies. If the installer starts it, it leaves "planted-ran.txt" beside
// itself, holding the command line it was given, and the package test sees that.
#include <windows.h>

int main()
{
    wchar_t marker[MAX_PATH + 32];
    const DWORD length = GetModuleFileNameW(nullptr, marker, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return 2;
    DWORD folder = length;
    while (folder > 0 && marker[folder - 1] != L'\\')
        --folder;
    lstrcpyW(marker + folder, L"planted-ran.txt");
    const HANDLE file = CreateFileW(
        marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 2;
    const wchar_t* line = GetCommandLineW();
    DWORD written = 0;
    WriteFile(file, line, DWORD(lstrlenW(line) * sizeof(wchar_t)), &written, nullptr);
    CloseHandle(file);
    // As icacls ends when it has done its work: the installer goes on as if nothing happened.
    return 0;
}
