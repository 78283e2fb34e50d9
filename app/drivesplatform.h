#pragma once

#include "drives.h"

// What the drives need from the platform. Each platform has its own file:
// drives_posix.cpp or drives_win.cpp.
namespace Drives::Platform {

// Whether two paths that differ only in letter case name the same folder.
Qt::CaseSensitivity pathCase();

QList<Drive> machineDrives();
QString display(const Drive& drive);

// The current folder that the system itself keeps for `root`, or empty.
QString systemFolderOf(const QString& root);
// Tells the system the current folder of `root`, where it keeps one.
void keepSystemFolder(const QString& root, const QString& path);

// The process's current folder, as the user chose it.
QString processFolder();
// Makes `path` the process's current folder; false when that is not possible.
bool setProcessFolder(const QString& path);
// Forgets what processFolder() remembers beyond the system's own state.
void resetProcessFolder();

}
