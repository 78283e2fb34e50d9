// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "folderlisting.h"

#include "namepattern.h"

#include <QFile>

#include <dirent.h>
#include <sys/stat.h>

namespace FolderListing {

// Large survey folders are common, so the folder is read directly, with no
// file information fetched for names that do not match.
Names readUnsorted(const std::filesystem::path& folder, Kind kind, const QString& pattern)
{
    Names names;
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return names;
    const std::string encodedPattern = QFile::encodeName(pattern).toStdString();
    const int fd = dirfd(dir);
    while (const dirent* entry = readdir(dir)) {
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
    closedir(dir);
    return names;
}

}
