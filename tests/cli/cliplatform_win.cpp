// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "cliplatform.h"

#include <QDir>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <vector>

namespace CliPlatform {

namespace {

    const wchar_t* wide(const QString& text)
    {
        return reinterpret_cast<const wchar_t*>(text.utf16());
    }

    QString quoted(const QString& argument) { return u'"' + argument + u'"'; }

}

std::optional<QStringList> runOnConsole(
    const QString& program, const QStringList& arguments, const QString& folder)
{
    // A console of this test's own, which the program inherits; its screen is read back.
    FreeConsole();
    if (!AllocConsole())
        return QStringList { QStringLiteral("AllocConsole failed: %1").arg(GetLastError()) };
    // The code page of a Danish console, where bytes in the ANSI code page read wrong ("vælg"
    // as "vµlg"); Wine's console would otherwise take them in 1252 and hide that.
    SetConsoleOutputCP(850);
    SetConsoleCP(850);
    SECURITY_ATTRIBUTES inherit { sizeof inherit, nullptr, TRUE };
    HANDLE screen = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
        FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
    HANDLE keyboard = CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE,
        FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);

    QString commandLine = quoted(QDir::toNativeSeparators(program));
    for (const QString& argument : arguments)
        commandLine += u' ' + quoted(argument);
    STARTUPINFOW startup {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = keyboard;
    startup.hStdOutput = screen;
    startup.hStdError = screen;
    PROCESS_INFORMATION process {};
    std::wstring line = commandLine.toStdWString();
    QStringList shown;
    if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
            wide(QDir::toNativeSeparators(folder)), &startup, &process)) {
        WaitForSingleObject(process.hProcess, 60000);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        CONSOLE_SCREEN_BUFFER_INFO info {};
        GetConsoleScreenBufferInfo(screen, &info);
        std::vector<wchar_t> row(std::size_t(info.dwSize.X));
        for (SHORT y = 0; y <= info.dwCursorPosition.Y; ++y) {
            DWORD read = 0;
            ReadConsoleOutputCharacterW(screen, row.data(), DWORD(row.size()), { 0, y }, &read);
            QString text = QString::fromWCharArray(row.data(), int(read));
            while (text.endsWith(u' '))
                text.chop(1);
            shown << text;
        }
    } else {
        shown << QStringLiteral("CreateProcessW failed: %1").arg(GetLastError());
    }
    CloseHandle(screen);
    CloseHandle(keyboard);
    FreeConsole();
    return shown;
}

std::optional<Identity> readIdentity(const QString& program)
{
    Identity identity;
    const std::wstring path = QDir::toNativeSeparators(program).toStdWString();
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    std::vector<char> block(size);
    if (size && GetFileVersionInfoW(path.c_str(), 0, size, block.data())) {
        auto value = [&](const wchar_t* name) {
            wchar_t* text = nullptr;
            UINT length = 0;
            const std::wstring query = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
            return VerQueryValueW(
                       block.data(), query.c_str(), reinterpret_cast<void**>(&text), &length)
                    && length
                ? QString::fromWCharArray(text, int(length)).remove(QChar(0))
                : QString();
        };
        identity.productName = value(L"ProductName");
        identity.productVersion = value(L"ProductVersion");
        identity.fileVersion = value(L"FileVersion");
        identity.fileDescription = value(L"FileDescription");
        identity.legalCopyright = value(L"LegalCopyright");
    }
    HMODULE module = LoadLibraryExW(
        path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (module) {
        identity.hasIcon = FindResourceW(module, MAKEINTRESOURCEW(1), RT_GROUP_ICON) != nullptr;
        if (HRSRC manifest = FindResourceW(module, MAKEINTRESOURCEW(1), RT_MANIFEST)) {
            const auto* bytes
                = static_cast<const char*>(LockResource(LoadResource(module, manifest)));
            identity.manifest
                = QString::fromUtf8(bytes, qsizetype(SizeofResource(module, manifest)));
        }
        FreeLibrary(module);
    }
    return identity;
}

}
