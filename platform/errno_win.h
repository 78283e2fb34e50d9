// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cerrno>
#include <windows.h>

// The system error that the error descriptions are chosen by, for a Windows error: the errno
// value of the same meaning where there is one, else the Windows error itself, negated, so
// that its own words reach the message (systemtext_win.cpp) instead of a POSIX guess.
inline int errnoOf(DWORD error)
{
    switch (error) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
    case 1295: // ERROR_DISK_QUOTA_EXCEEDED, which MinGW's headers lack
        return ENOSPC;
    case ERROR_ACCESS_DENIED:
    case ERROR_PRIVILEGE_NOT_HELD:
        return EACCES;
    // Another program holds the file open without sharing it, or has locked a part of it.
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
        return EBUSY;
    case ERROR_WRITE_PROTECT:
        return EROFS;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return ENOENT;
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_BUFFER_OVERFLOW:
        return ENAMETOOLONG;
    case NO_ERROR:
        return EIO; // a call that failed without saying why
    default:
        return -int(error);
    }
}

// The Windows error that errnoOf() passed on negated; 0 for an errno value.
inline DWORD windowsErrorOf(int systemError) { return systemError < 0 ? DWORD(-systemError) : 0; }
