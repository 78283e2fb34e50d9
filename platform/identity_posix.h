// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "inputfile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

// Which file `name` in `folder` is (with AT_EMPTY_PATH and "", the open file `folder` itself),
// and whether it is an ordinary file. Device and file number alone do not tell a file from the
// next one: ext4 gives a removed file's number to the next new file at once. Its birth time
// comes along, where the file system keeps one.
inline bool identityAt(
    int folder, const char* name, int flags, FileIdentity& identity, bool* ordinary = nullptr)
{
    struct statx status;
    if (::statx(folder, name, flags, STATX_TYPE | STATX_INO | STATX_BTIME, &status) != 0) {
        if (errno != ENOSYS)
            return false;
        struct stat old;
        if (::fstatat(folder, name, &old, flags) != 0)
            return false;
        identity = { std::uint64_t(old.st_dev), std::uint64_t(old.st_ino), true };
        if (ordinary)
            *ordinary = S_ISREG(old.st_mode);
        return true;
    }
    identity = { std::uint64_t(makedev(status.stx_dev_major, status.stx_dev_minor)),
        std::uint64_t(status.stx_ino), true };
    if (status.stx_mask & STATX_BTIME) {
        identity.born = status.stx_btime.tv_sec;
        identity.bornNanoseconds = status.stx_btime.tv_nsec;
    }
    if (ordinary)
        *ordinary = S_ISREG(status.stx_mode);
    return true;
}
