#include "drivesplatform.h"

#include "nativename.h"

#include <QDir>
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
    QString logicalFolder;

    bool sameFolder(const QByteArray& a, const char* b)
    {
        struct stat first, second;
        return stat(a.constData(), &first) == 0 && stat(b, &second) == 0
            && first.st_dev == second.st_dev && first.st_ino == second.st_ino;
    }

}

// Names are bytes: ZMNT beside a mount zmnt is a folder of its own.
Qt::CaseSensitivity pathCase() { return Qt::CaseSensitive; }

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
        drives.append({ root, storage.name() });
    }
    if (!seen.contains(QStringLiteral("/")))
        drives.append({ QStringLiteral("/"), QString() });
    return drives;
}

QString display(const Drive& drive)
{
    return drive.label.isEmpty() ? drive.root
                                 : QStringLiteral("%1 [%2]").arg(drive.root, drive.label);
}

// The system keeps one current folder only; the program keeps the others.
QString systemFolderOf(const QString&) { return {}; }
void keepSystemFolder(const QString&, const QString&) { }

// The chosen path holds as long as it still names the folder we are in.
QString processFolder()
{
    if (!logicalFolder.isEmpty() && sameFolder(NativeName::encode(logicalFolder), "."))
        return logicalFolder;
    return QDir::currentPath();
}

bool setProcessFolder(const QString& path)
{
    if (!QDir::setCurrent(path))
        return false;
    logicalFolder = QDir::cleanPath(path);
    return true;
}

void resetProcessFolder() { logicalFolder.clear(); }

}
