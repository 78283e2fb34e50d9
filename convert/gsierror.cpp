// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "gsierror.h"

#include <cerrno>
#include <system_error>

namespace fs = std::filesystem;

GsiError::GsiError(int number, std::string description)
    : m_number(number)
    , m_description(std::move(description))
    , m_what(std::to_string(number) + ": " + m_description)
{
}

std::string shownPath(const fs::path& path)
{
    fs::path shown = path;
    shown.make_preferred();
    const std::u8string text = shown.u8string();
    return std::string(text.begin(), text.end());
}

fs::path folderOf(const fs::path& path)
{
    const fs::path parent = path.parent_path();
    return parent.empty() ? fs::path(".") : parent;
}

namespace {

bool isFolder(const fs::path& path)
{
    std::error_code ec;
    return fs::is_directory(path, ec);
}

bool isThere(const fs::path& path)
{
    std::error_code ec;
    return fs::exists(path, ec);
}

bool isDenied(int systemError) { return systemError == EACCES || systemError == EPERM; }

std::string message(const char* before, const fs::path& path, const char* after = "")
{
    return before + shownPath(path) + after;
}

}

GsiError GsiError::forRead(const fs::path& path, int systemError)
{
    if (systemError == ENAMETOOLONG)
        return nameTooLong(path, true);
    // A folder first: Windows refuses to open one as a file with "access denied".
    if (systemError == EISDIR || isFolder(path))
        return { PathFileAccessError, message("", path, " er en mappe, ikke en fil") };
    if (isDenied(systemError))
        return { PermissionDenied, message("Ingen adgang til at læse filen ", path) };
    if (!isFolder(folderOf(path)))
        return { PathNotFound, message("Mappen findes ikke: ", path) };
    if (!isThere(path))
        return { FileNotFound, message("Filen findes ikke: ", path) };
    return { DeviceIoError, message("Filen ", path, " kunne ikke læses") };
}

GsiError GsiError::forWrite(const fs::path& path, int systemError, std::uintmax_t bytesNeeded)
{
    if (systemError == ENAMETOOLONG)
        return nameTooLong(path, true);
    // Said before anything else: on a read-only file system nothing else is wrong.
    if (systemError == EROFS)
        return { PermissionDenied,
            message("Filsystemet er skrivebeskyttet; filen ", path, " kan ikke skrives") };
    if (!isFolder(folderOf(path)))
        return { PathNotFound, message("Mappen findes ikke: ", path) };
    if (systemError == EISDIR || isFolder(path))
        return { PathFileAccessError, message("", path, " er en mappe; filen kan ikke skrives") };
    std::error_code ec;
    const fs::space_info space = fs::space(folderOf(path), ec);
    if (systemError == ENOSPC || (!ec && space.available < bytesNeeded))
        return { DiskFull, message("Disken er fuld; filen ", path, " kunne ikke skrives") };
    if (isDenied(systemError))
        return { PermissionDenied, message("Ingen adgang til at skrive filen ", path) };
    return { DeviceIoError, message("Filen ", path, " kunne ikke skrives") };
}

GsiError GsiError::readOnly(const fs::path& path)
{
    return { PermissionDenied, message("Filen ", path, " er skrivebeskyttet") };
}

GsiError GsiError::notAFile(const fs::path& path)
{
    return { PathFileAccessError,
        message("", path, " er ikke en almindelig fil (men en FIFO, en socket eller en enhed)") };
}

GsiError GsiError::nameTooLong(const fs::path& path, bool pathTooLong)
{
    if (pathTooLong)
        return { BadFileName, message("Stien ", path, " er for lang til systemet") };
    return { BadFileName, message("Filnavnet ", path, " er for langt til filsystemet") };
}
