// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "drivesplatform.h"

#include "nativepath.h"

#include <QFileInfo>
#include <QSet>
#include <QStorageInfo>

#include <sys/stat.h>

namespace Drives::Platform {

namespace {

    // Mounts that hold no ordinary files the user would browse.
    bool isPseudo(const QByteArray& type)
    {
        static const QSet<QByteArray> pseudo = { "proc", "sysfs", "cgroup", "cgroup2", "devtmpfs",
            "devpts", "securityfs", "pstore", "debugfs", "tracefs", "bpf", "mqueue", "hugetlbfs",
            "configfs", "fusectl", "autofs", "binfmt_misc", "nsfs", "efivarfs", "rpc_pipefs",
            "selinuxfs", "fuse.gvfsd-fuse", "fuse.portal" };
        return pseudo.contains(type);
    }

    // The current folder as the user chose it, as a shell keeps $PWD: the
    // system names the current folder by its real path, which for a folder
    // reached through a symbolic link is not the one the user opened.
    Path logicalFolder;

    bool sameFolder(const char* a, const char* b)
    {
        struct stat first, second;
        return stat(a, &first) == 0 && stat(b, &second) == 0 && first.st_dev == second.st_dev
            && first.st_ino == second.st_ino;
    }

}

// Names are bytes: ZMNT beside a mount zmnt is a folder of its own.
bool sameName(const Path& a, const Path& b) { return a.native() == b.native(); }

QList<Drive> machineDrives()
{
    QList<Drive> drives;
    QSet<QString> seen;
    for (const QStorageInfo& storage : QStorageInfo::mountedVolumes()) {
        const QString root = storage.rootPath();
        if (!storage.isValid() || isPseudo(storage.fileSystemType()) || seen.contains(root)
            || !QFileInfo(root).isDir())
            continue;
        seen.insert(root);
        drives.append({ NativePath::fromText(root), storage.name() });
    }
    if (!seen.contains(QStringLiteral("/")))
        drives.append({ Path("/"), QString() });
    return drives;
}

QString display(const Drive& drive)
{
    const QString root = NativePath::shown(drive.root);
    return drive.label.isEmpty() ? root : QStringLiteral("%1 [%2]").arg(root, drive.label);
}

// The system keeps one current folder only; the program keeps the others.
Path systemFolderOf(const Path&) { return {}; }
void keepSystemFolder(const Path&, const Path&) { }

// The chosen path holds as long as it still names the folder we are in.
Path processFolder()
{
    if (!logicalFolder.empty() && sameFolder(logicalFolder.c_str(), "."))
        return logicalFolder;
    return systemProcessFolder();
}

std::error_code setProcessFolder(const Path& path)
{
    const std::error_code error = setSystemProcessFolder(path);
    if (!error)
        logicalFolder = path;
    return error;
}

void resetProcessFolder() { logicalFolder.clear(); }

}
