// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Another program that has a file open and shares nothing, as an editor or a viewer may:
// the "in use" rows start it, wait for "held", and end it by closing its standard input.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdio>

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2) {
        std::fputs("usage: sigtelinje-test-holdopen FILE\n", stderr);
        return 2;
    }
    const HANDLE file = CreateFileW(argv[1], GENERIC_READ | GENERIC_WRITE, 0, nullptr,
        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "cannot open %ls: error %lu\n", argv[1], GetLastError());
        return 1;
    }
    std::fputs("held\n", stdout);
    std::fflush(stdout);
    // Until the test closes our input, or ends us.
    char buffer[64];
    DWORD read = 0;
    while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), buffer, sizeof buffer, &read, nullptr)
        && read > 0) { }
    CloseHandle(file);
    return 0;
}
