// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "folderlisting.h"

#include "namepattern.h"

#include <QFile>

#include <cerrno>

#include <dirent.h>
#include <sys/stat.h>

namespace FolderListing {

namespace {

    // A share whose server has gone, or a FUSE program that has ended, says so in many ways.
    Failure failureOf(int error)
    {
        switch (error) {
        case ENOENT:
        case ENOTDIR:
            return Failure::Gone;
        case EACCES:
        case EPERM:
            return Failure::NoAccess;
        case ENOTCONN:
        case ENODEV:
        case ENXIO:
        case ESTALE:
        case ETIMEDOUT:
        case EHOSTDOWN:
        case EHOSTUNREACH:
        case ENETDOWN:
        case ENETUNREACH:
        case ECONNABORTED:
        case ECONNRESET:
        case ECONNREFUSED:
            return Failure::NotAnswering;
        default:
            return Failure::IoError;
        }
    }

}

// Large survey folders are common, so the folder is read directly, with no
// file information fetched for names that do not match.
Names readUnsorted(const std::filesystem::path& folder, Kind kind, const QString& pattern,
    Failure& failure, std::atomic<int>* progress)
{
    Names names;
    failure = Failure::None;
    DIR* dir = opendir(folder.c_str());
    if (!dir) {
        failure = failureOf(errno);
        return names;
    }
    const std::string encodedPattern = QFile::encodeName(pattern).toStdString();
    const int fd = dirfd(dir);
    // readdir ends the folder and fails alike; only errno tells them apart, so it is cleared
    // before every call: an fstatat on a dangling link last in the folder sets it too.
    int error = 0;
    for (;;) {
        errno = 0;
        const dirent* entry = readdir(dir);
        if (!entry) {
            error = errno;
            break;
        }
        if (progress)
            progress->fetch_add(1, std::memory_order_relaxed);
        const std::string_view name(entry->d_name);
        if (name.starts_with('.'))
            continue; // hidden, and "." and ".."
        if (!encodedPattern.empty() && !matchesPattern(std::string_view(encodedPattern), name))
            continue;
        bool isDir = entry->d_type == DT_DIR;
        bool isFile = entry->d_type == DT_REG;
        if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            // Follow links, as a file manager does; a broken link is neither.
            struct stat info;
            if (fstatat(fd, entry->d_name, &info, 0) != 0)
                continue;
            isDir = S_ISDIR(info.st_mode);
            isFile = S_ISREG(info.st_mode);
        }
        if (kind == Kind::Files ? isFile : isDir)
            names.emplace_back(std::string(entry->d_name));
    }
    if (error != 0) {
        failure = failureOf(error);
        names.clear();
    }
    closedir(dir);
    return names;
}

}
