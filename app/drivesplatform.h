// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "drives.h"

#include <system_error>

// What the drives need from the platform. Each platform has its own file:
// drives_posix.cpp or drives_win.cpp.
namespace Drives::Platform {

// Whether two names of one folder level name the same entry.
bool sameName(const Path& a, const Path& b);

QList<Drive> machineDrives();
QString display(const Drive& drive);

// The current folder that the system itself keeps for `root`, or empty.
Path systemFolderOf(const Path& root);
// Tells the system the current folder of `root`, where it keeps one.
void keepSystemFolder(const Path& root, const Path& path);

// The process's current folder as the user chose it, or empty.
Path processFolder();
// Makes `path` the process's current folder, or gives the reason it cannot.
std::error_code setProcessFolder(const Path& path);
// Forgets what processFolder() remembers beyond the system's own state.
void resetProcessFolder();

// `path` as the system's calls are to take it, every name kept as written: on Windows the \\?\
// form where a plain path would lose a trailing dot or blank ("dir." would be its sibling
// "dir"), else the path itself.
Path systemForm(const Path& path);

// The system's own current folder, as both platforms ask for it; empty when the
// system can no longer name it (it was deleted).
inline Path systemProcessFolder()
{
    std::error_code error;
    Path here = std::filesystem::current_path(error);
    return error ? Path() : here;
}

// Makes `path` the system's current folder, or gives the reason it cannot.
inline std::error_code setSystemProcessFolder(const Path& path)
{
    std::error_code error;
    std::filesystem::current_path(path, error);
    return error;
}

}
