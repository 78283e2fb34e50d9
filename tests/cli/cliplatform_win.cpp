// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "cliplatform.h"

#include <QDir>
#include <QFile>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstddef>
#include <vector>

namespace CliPlatform {

namespace {

    const wchar_t* wide(const QString& text)
    {
        return reinterpret_cast<const wchar_t*>(text.utf16());
    }

    QString quoted(const QString& argument) { return u'"' + argument + u'"'; }

    // The import table read from the file itself, as the loader would find it.
    QStringList importsOf(const QString& program)
    {
        QFile file(program);
        if (!file.open(QIODevice::ReadOnly))
            return { QStringLiteral("<unreadable>") };
        const QByteArray image = file.readAll();
        auto at = [&](qsizetype offset, qsizetype size) {
            return offset >= 0 && offset + size <= image.size() ? image.constData() + offset
                                                                : nullptr;
        };
        const auto* dos
            = reinterpret_cast<const IMAGE_DOS_HEADER*>(at(0, sizeof(IMAGE_DOS_HEADER)));
        const auto* nt = dos ? reinterpret_cast<const IMAGE_NT_HEADERS64*>(
                             at(dos->e_lfanew, sizeof(IMAGE_NT_HEADERS64)))
                             : nullptr;
        if (!nt)
            return { QStringLiteral("<no PE header>") };
        const auto* sections = reinterpret_cast<const IMAGE_SECTION_HEADER*>(
            at(dos->e_lfanew + offsetof(IMAGE_NT_HEADERS64, OptionalHeader)
                    + nt->FileHeader.SizeOfOptionalHeader,
                qsizetype(sizeof(IMAGE_SECTION_HEADER)) * nt->FileHeader.NumberOfSections));
        auto offsetOf = [&](DWORD rva) -> qsizetype {
            for (WORD i = 0; sections && i < nt->FileHeader.NumberOfSections; ++i)
                if (rva >= sections[i].VirtualAddress
                    && rva < sections[i].VirtualAddress + sections[i].SizeOfRawData)
                    return rva - sections[i].VirtualAddress + sections[i].PointerToRawData;
            return -1;
        };
        QStringList names;
        const DWORD table
            = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
        for (qsizetype entry = offsetOf(table);; entry += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
            const auto* import = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(
                at(entry, sizeof(IMAGE_IMPORT_DESCRIPTOR)));
            if (!import || !import->Name)
                break;
            const char* name = at(offsetOf(import->Name), 1);
            names << (name ? QString::fromLatin1(name) : QStringLiteral("<bad name>"));
        }
        return names;
    }

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
        const HRSRC group = FindResourceW(module, MAKEINTRESOURCEW(1), RT_GROUP_ICON);
        identity.hasIcon = group != nullptr;
        if (group) {
            // A count at byte 4, then 14 bytes for each image, its width first (0 for 256).
            const auto* bytes
                = static_cast<const unsigned char*>(LockResource(LoadResource(module, group)));
            const DWORD size = SizeofResource(module, group);
            const int count = size >= 6 ? bytes[4] | (bytes[5] << 8) : 0;
            for (int i = 0; i < count && 6 + 14 * DWORD(i + 1) <= size; ++i)
                identity.iconSizes << (bytes[6 + 14 * i] ? bytes[6 + 14 * i] : 256);
        }
        if (HRSRC manifest = FindResourceW(module, MAKEINTRESOURCEW(1), RT_MANIFEST)) {
            const auto* bytes
                = static_cast<const char*>(LockResource(LoadResource(module, manifest)));
            identity.manifest
                = QString::fromUtf8(bytes, qsizetype(SizeofResource(module, manifest)));
        }
        FreeLibrary(module);
    }
    identity.importedDlls = importsOf(program);
    return identity;
}

void giveNoConsole(QProcess& process)
{
    process.setCreateProcessArgumentsModifier(
        [](QProcess::CreateProcessArguments* arguments) { arguments->flags |= DETACHED_PROCESS; });
}

}
