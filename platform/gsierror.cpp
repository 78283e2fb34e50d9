// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "gsierror.h"

#include "systemtext.h"

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

bool isDenied(int systemError) { return systemError == EACCES || systemError == EPERM; }

bool isInUse(int systemError) { return systemError == EBUSY || systemError == ETXTBSY; }

// A medium that has gone: a pulled stick, a dropped share.
bool isGone(int systemError) { return systemError == ENOTCONN || systemError == ENODEV; }

GsiError gone(const fs::path& path, bool reading)
{
    return { GsiError::DeviceUnavailable,
        "Enheden er ikke tilgængelig: filen " + shownPath(path)
            + (reading ? " kan ikke læses" : " kan ikke skrives") };
}

std::string message(const char* before, const fs::path& path, const char* after = "")
{
    return before + shownPath(path) + after;
}

// The system's own words for a cause the table has no number for.
std::string cause(int systemError)
{
    return systemError ? ": " + SystemText::cause(systemError) : std::string();
}

// After ENOENT: the file is missing, or the folder it was to be in. Looking at the folder is
// only a diagnosis; when that look fails for another reason, that reason is the message.
GsiError missing(const fs::path& path, bool reading)
{
    std::error_code ec;
    const fs::file_status folder = fs::status(folderOf(path), ec);
    const bool folderGone = ec
        ? ec == std::errc::no_such_file_or_directory || ec == std::errc::not_a_directory
        : !fs::is_directory(folder);
    if (folderGone)
        return { GsiError::PathNotFound, message("Mappen findes ikke: ", path) };
    if (ec && isGone(ec.value()))
        return gone(path, reading);
    if (ec)
        return { GsiError::DeviceIoError,
            message("Filen ", path,
                ((reading ? " kunne ikke læses" : " kunne ikke skrives") + cause(ec.value()))
                    .c_str()) };
    if (reading)
        return { GsiError::FileNotFound, message("Filen findes ikke: ", path) };
    return { GsiError::PathNotFound, message("Mappen findes ikke: ", path) };
}

}

GsiError GsiError::forRead(const fs::path& path, int systemError)
{
    if (systemError == ENAMETOOLONG)
        return nameTooLong(path, true);
    if (isGone(systemError))
        return gone(path, true);
    // Windows refuses to open a folder as a file with "access denied".
    if (systemError == EISDIR || (isDenied(systemError) && isFolder(path)))
        return { PathFileAccessError, message("", path, " er en mappe, ikke en fil") };
    if (isDenied(systemError))
        return { PermissionDenied, message("Ingen adgang til at læse filen ", path) };
    if (isInUse(systemError))
        return { PermissionDenied, message("Filen ", path, " er i brug af et andet program") };
    if (systemError == ENOENT)
        return missing(path, true);
    if (systemError == ENOTDIR)
        return { PathNotFound, message("Mappen findes ikke: ", path) };
    return { SystemText::number(systemError),
        message("Filen ", path, (" kunne ikke læses" + cause(systemError)).c_str()) };
}

GsiError GsiError::forWrite(const fs::path& path, int systemError)
{
    if (systemError == ENAMETOOLONG)
        return nameTooLong(path, true);
    if (isGone(systemError))
        return gone(path, false);
    // Said before anything else: on a read-only file system nothing else is wrong.
    if (systemError == EROFS)
        return { PermissionDenied,
            message("Filsystemet er skrivebeskyttet; filen ", path, " kan ikke skrives") };
    if (systemError == ENOSPC)
        return { DiskFull, message("Disken er fuld; filen ", path, " kunne ikke skrives") };
    // Windows refuses to put a file in a folder's place with "access denied".
    if (systemError == EISDIR || (isDenied(systemError) && isFolder(path)))
        return { PathFileAccessError, message("", path, " er en mappe; filen kan ikke skrives") };
    if (isDenied(systemError))
        return { PermissionDenied, message("Ingen adgang til at skrive filen ", path) };
    if (isInUse(systemError))
        return { PermissionDenied,
            message("Filen ", path, " er i brug af et andet program og kan ikke erstattes") };
    if (systemError == ENOENT)
        return missing(path, false);
    if (systemError == ENOTDIR)
        return { PathNotFound, message("Mappen findes ikke: ", path) };
    return { SystemText::number(systemError),
        message("Filen ", path, (" kunne ikke skrives" + cause(systemError)).c_str()) };
}

GsiError GsiError::readOnly(const fs::path& path)
{
    return { PermissionDenied, message("Filen ", path, " er skrivebeskyttet") };
}

GsiError GsiError::notAFile(const fs::path& path)
{
    return { PathFileAccessError,
        message("", path,
            (std::string(" er ikke en almindelig fil (men ") + SystemText::notAFileKinds() + ")")
                .c_str()) };
}

GsiError GsiError::systemFile(const fs::path& path)
{
    return { PathFileAccessError,
        message("", path,
            " er ikke en almindelig fil: den hører til systemets egne filer (/proc, /sys)") };
}

GsiError GsiError::replacedSinceOpened(const fs::path& path)
{
    return { PathFileAccessError,
        message("Filen ", path,
            " er blevet udskiftet med en anden fil eller en genvej, siden den blev åbnet; "
            "der er intet gemt") };
}

GsiError GsiError::foreignLink(const fs::path& path, bool writing)
{
    return { PathFileAccessError,
        message("Filen ", path,
            writing ? " skrives ikke: mappen nås gennem en genvej, som en anden bruger har lavet "
                      "til en mappe, han ikke selv ejer; der er intet gemt"
                    : " læses ikke: mappen nås gennem en genvej, som en anden bruger har lavet "
                      "til en mappe, han ikke selv ejer; der er intet gemt") };
}

GsiError GsiError::nameTooLong(const fs::path& path, bool pathTooLong)
{
    if (pathTooLong)
        return { BadFileName, message("Stien ", path, " er for lang til systemet") };
    return { BadFileName, message("Filnavnet ", path, " er for langt til filsystemet") };
}

GsiError GsiError::pathOverLimit(const fs::path& path, std::size_t length, std::size_t limit)
{
    return { BadFileName,
        message("Stien ", path, " er for lang til systemet: ") + std::to_string(length)
            + " tegn, hvor der højst må være " + std::to_string(limit) };
}
