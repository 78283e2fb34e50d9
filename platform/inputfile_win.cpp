// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "inputfile.h"

#include "errno_win.h"
#include "gsierror.h"
#include "identity_win.h"
#include "winpath_win.h"

#include <algorithm>
#include <cerrno>
#include <string>
#include <windows.h>

namespace {

HANDLE handleOf(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

// CON, NUL, COM1 and the like name a device in every folder. They are known by the name,
// before anything opens them: CON opens only for a program that has a console, so the answer
// would depend on how the program was started, and a port's driver would be woken.
bool namesDevice(const std::filesystem::path& given, const std::filesystem::path& full)
{
    const std::wstring& text = full.native();
    if (text.starts_with(L"\\\\.\\") && WinPath::isDeviceName(text.substr(4)))
        return true;
    return !WinPath::isVerbatim(given) && WinPath::isDeviceName(given.filename().native());
}

}

InputFile::InputFile(std::filesystem::path path, std::uintmax_t limit)
    : m_path(std::move(path))
    , m_limit(limit)
{
    // Others may go on reading and writing the file, as they may while any program
    // reads it; one that holds it without sharing is reported as no access.
    // The \\?\ form of the full path, as the output is written through, so that a share's
    // file is read from the share and a verbatim path is taken as it stands.
    const std::filesystem::path full = WinPath::full(m_path);
    if (namesDevice(m_path, full))
        throw GsiError::notAFile(m_path);
    const HANDLE file = CreateFileW(WinPath::extended(full).c_str(), GENERIC_READ,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        throw GsiError::forRead(m_path, errnoOf(GetLastError()));
    // The destructor does not run for a constructor that throws.
    const auto fail = [file](const GsiError& error) {
        CloseHandle(file);
        throw error;
    };
    // CON, NUL, COM1 and pipes open like files, but are characters or pipes to the system.
    if (GetFileType(file) != FILE_TYPE_DISK)
        fail(GsiError::notAFile(m_path));
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size))
        fail(GsiError::forRead(m_path, errnoOf(GetLastError())));
    if (std::uintmax_t(size.QuadPart) > m_limit)
        fail(tooLargeError());
    BY_HANDLE_FILE_INFORMATION information;
    if (GetFileInformationByHandle(file, &information))
        m_identity = identityOf(information);
    m_handle = reinterpret_cast<std::intptr_t>(file);
}

// The open file itself says where it is: through a link, the file the link led to, so that
// the editor saves that file and leaves the link as it is, as on Linux.
std::filesystem::path InputFile::openedPath() const
{
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD size = GetFinalPathNameByHandleW(handleOf(m_handle), buffer.data(),
            DWORD(buffer.size()), FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (size == 0)
            return WinPath::full(m_path);
        if (size < buffer.size()) {
            buffer.resize(size);
            return WinPath::plain(buffer);
        }
        buffer.resize(size);
    }
}

InputFile::~InputFile()
{
    if (m_handle != -1)
        CloseHandle(handleOf(m_handle));
}

std::streamsize InputFile::readSome(char* to, std::size_t count)
{
    DWORD got = 0;
    if (!ReadFile(
            handleOf(m_handle), to, DWORD(std::min<std::size_t>(count, 1u << 30)), &got, nullptr)) {
        m_error = errnoOf(GetLastError());
        return -1;
    }
    return std::streamsize(got);
}
