// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "inputfile.h"

#include <filesystem>
#include <windows.h>

// Which file an open handle is: volume, file index and creation time. The index alone does not
// tell a file from the next one where a file system hands a removed file's index on.
inline FileIdentity identityOf(const BY_HANDLE_FILE_INFORMATION& information)
{
    FileIdentity identity { information.dwVolumeSerialNumber,
        (std::uint64_t(information.nFileIndexHigh) << 32) | information.nFileIndexLow, true };
    identity.born = (std::int64_t(information.ftCreationTime.dwHighDateTime) << 32)
        | information.ftCreationTime.dwLowDateTime;
    return identity;
}

// Which file `path` names now, a link at the name not followed, and whether it is an ordinary
// file. False with the system's error in GetLastError() when there is none.
inline bool identityAt(const std::filesystem::path& path, FileIdentity& identity, bool& ordinary)
{
    const HANDLE file = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
        FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    BY_HANDLE_FILE_INFORMATION information;
    const bool known = GetFileInformationByHandle(file, &information);
    const DWORD error = GetLastError();
    CloseHandle(file);
    if (!known) {
        SetLastError(error);
        return false;
    }
    identity = identityOf(information);
    ordinary = !(
        information.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY));
    return true;
}
