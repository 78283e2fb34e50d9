// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "systemtext_win.h"
#include "systemtext.h"

#include "errno_win.h"
#include "gsierror.h"

#include <cerrno>
#include <string>
#include <windows.h>

namespace SystemText {

namespace {

    const char* danishWords(DWORD error)
    {
        switch (error) {
        case ERROR_NOT_READY:
            return "drevet er ikke klar; er der en disk eller et kort i det?";
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
        case ERROR_NETNAME_DELETED:
        case ERROR_UNEXP_NET_ERR:
        case ERROR_NETWORK_UNREACHABLE:
        case ERROR_REM_NOT_LIST:
        case ERROR_SEM_TIMEOUT:
            return "netværksstedet svarer ikke";
        case ERROR_DEV_NOT_EXIST:
        case ERROR_INVALID_DRIVE:
            return "drevet findes ikke (længere)";
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
        case ERROR_DIRECTORY:
            return "navnet kan ikke bruges i Windows";
        // What a device such as CON, NUL or a printer answers to a file's read or write.
        case ERROR_INVALID_FUNCTION:
        case ERROR_INVALID_HANDLE:
        case ERROR_NOT_SUPPORTED:
        case ERROR_INVALID_PARAMETER:
            return "navnet er en enhed, og den tager ikke imod en fil";
        case ERROR_CRC:
        case ERROR_SEEK:
        case ERROR_SECTOR_NOT_FOUND:
        case ERROR_WRITE_FAULT:
        case ERROR_READ_FAULT:
        case ERROR_GEN_FAILURE:
        case ERROR_IO_DEVICE:
            return "fejl på disken eller enheden";
        case ERROR_CANT_RESOLVE_FILENAME:
            return "genvejene fører i ring";
        case ERROR_NOT_SAME_DEVICE:
            return "filen kan ikke flyttes til et andet drev";
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            return "der findes allerede en fil med det navn";
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY:
        case ERROR_NO_SYSTEM_RESOURCES:
            return "Windows har ikke hukommelse nok";
        case ERROR_TOO_MANY_OPEN_FILES:
            return "der er for mange åbne filer";
        default:
            return nullptr;
        }
    }

}

std::string windowsWords(unsigned long error)
{
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring words = length ? std::wstring(text, length) : std::wstring();
    LocalFree(text);
    while (!words.empty()
        && (words.back() == L'\r' || words.back() == L'\n' || words.back() == L' '
            || words.back() == L'.'))
        words.pop_back();
    const std::string number = "Windows-fejl " + std::to_string(error);
    if (words.empty())
        return number;
    const int size = WideCharToMultiByte(
        CP_UTF8, 0, words.data(), int(words.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(std::size_t(size), '\0');
    WideCharToMultiByte(
        CP_UTF8, 0, words.data(), int(words.size()), utf8.data(), size, nullptr, nullptr);
    return utf8 + " (" + number + ")";
}

std::string cause(int systemError)
{
    if (systemError < 0) {
        const DWORD error = windowsErrorOf(systemError);
        const char* danish = danishWords(error);
        return danish ? danish : windowsWords(error);
    }
    // The errno values that errno_win.h and the C library give, in Danish.
    switch (systemError) {
    case EIO:
        return "fejl på disken eller enheden";
    case EPIPE:
        return "modtageren har lukket forbindelsen";
    case EBADF:
    case EINVAL:
        return "strømmen kan ikke skrives";
    case ENOMEM:
        return "Windows har ikke hukommelse nok";
    case EEXIST:
        return "der findes allerede en fil med det navn";
    case EAGAIN:
        return "enheden svarer ikke";
    default:
        return "C-biblioteksfejl " + std::to_string(systemError);
    }
}

int number(int systemError)
{
    switch (windowsErrorOf(systemError)) {
    case ERROR_NOT_READY:
        return GsiError::DiskNotReady;
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_NETNAME_DELETED:
    case ERROR_UNEXP_NET_ERR:
    case ERROR_NETWORK_UNREACHABLE:
    case ERROR_REM_NOT_LIST:
    case ERROR_SEM_TIMEOUT:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_INVALID_DRIVE:
        return GsiError::DeviceUnavailable;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_DIRECTORY:
        return GsiError::BadFileName;
    default:
        return GsiError::DeviceIoError;
    }
}

const char* notAFileKinds() { return "en enhed som CON, NUL eller PRN, eller et rør"; }

}
