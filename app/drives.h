// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>

#include <filesystem>

// The drives the user can choose from, and the current folder each of them
// keeps. On Windows these are the drive letters, and each drive's current
// folder is also told to the system ("=X:"). Elsewhere a drive is a mounted
// file system that holds ordinary files, possibly inside a folder of another.
//
// Paths are the file system's own; only the window turns them into text.
namespace Drives {

using Path = std::filesystem::path;

struct Drive {
    Path root; // "/" or "/media/usb"; "C:/" on Windows
    QString label; // the volume label, possibly empty
    QString display() const;
};

// The drives of the machine: the root first, then the others by path.
QList<Drive> list();

// The root of the drive that holds `path`: the longest root that contains it. Asks no drive,
// only the system's table of them.
Path driveOf(const Path& path);

// The current folder that `root` keeps, as last seen: it may be gone by now. Asks no drive.
Path currentFolderOf(const Path& root);

// The process's current folder, by the path the user reached it through.
// Empty when the system can no longer name it (it was deleted).
Path currentFolder();
// Whether `path` names a folder, every name in it as written.
bool isFolder(const Path& path);

// Whether `root` can be used as a drive: throws GsiError 68 when it is gone, 71 when it is
// there but holds no folder (not ready). Asks that drive alone, and may wait on it, so the
// window calls it away from its own thread; it uses nothing the window's thread changes.
void checkDrive(const Path& root);

// Makes `path` the process's current folder and the current folder of its
// drive. Throws GsiError (76, 70) when that is not possible; nothing changes then.
void makeCurrentFolder(const Path& path);

// `path` without "." and ".." parts or a trailing separator.
Path clean(const Path& path);

// Tests replace the machine's drives by folders of their own, and start every
// drive's current folder afresh. An empty list restores the real drives.
void setDrivesForTesting(const QList<Drive>& drives);

}
