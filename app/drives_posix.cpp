// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "drivesplatform.h"

#include "nativepath.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QSet>

#include <libmount/libmount.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

namespace Drives::Platform {

namespace {

    // Which mounts hold files a surveyor browses, judged from the table alone. libmount's
    // pseudo list also holds tmpfs, ramfs, overlay and plain fuse, which hold ordinary files
    // (a tmpfs mounted in a folder, a container's root); fuseblk (ntfs-3g, exFAT) is in no
    // list and is a drive. The document portal shows the user's files twice.
    bool holdsFiles(libmnt_fs* fs)
    {
        const QByteArray type = mnt_fs_get_fstype(fs);
        static const QSet<QByteArray> filesAfterAll = { "tmpfs", "ramfs", "overlay", "fuse" };
        if (type == "fuse.portal" || type == "autofs")
            return false;
        return !mnt_fs_is_pseudofs(fs) || filesAfterAll.contains(type);
    }

    // The kernel's own trees, and the old places of /run, are the system's, not the user's.
    bool isSystemPlace(const QByteArray& target)
    {
        for (const char* place : { "/proc", "/sys", "/dev", "/var/run", "/var/lock" }) {
            const QByteArray root(place);
            if (target == root || target.startsWith(root + '/'))
                return true;
        }
        return false;
    }

    // A file mounted over a file (a container's /etc/hosts) is no drive. The type comes from
    // what the system has cached: a FUSE or network mount is not asked, so a stalled one
    // cannot hold the drive list up.
    bool isFolderWithoutAsking(const char* target)
    {
        struct statx info;
        if (statx(AT_FDCWD, target, AT_NO_AUTOMOUNT | AT_STATX_DONT_SYNC, STATX_TYPE, &info) != 0)
            return true; // the table says it is mounted; let a visit tell the rest
        return !(info.stx_mask & STATX_TYPE) || S_ISDIR(info.stx_mode);
    }

    // The volume labels the system has already read, by the device that carries them: the
    // links in /dev/disk/by-label, read without asking any drive.
    QHash<QByteArray, QString> labelsByDevice()
    {
        QHash<QByteArray, QString> labels;
        const QDir byLabel(QStringLiteral("/dev/disk/by-label"));
        for (const QString& name : byLabel.entryList(QDir::System | QDir::NoDotAndDotDot)) {
            const QByteArray link = QFile::encodeName(byLabel.filePath(name));
            char target[4096];
            const ssize_t length = readlink(link.constData(), target, sizeof target - 1);
            if (length <= 0)
                continue;
            const QByteArray device = QFile::encodeName(QDir::cleanPath(
                byLabel.absoluteFilePath(QFile::decodeName(QByteArray(target, length)))));
            // udev writes a blank as \x20 and so on.
            QByteArray label = QFile::encodeName(name);
            for (qsizetype at = label.indexOf("\\x"); at >= 0 && at + 3 < label.size();
                 at = label.indexOf("\\x", at + 1)) {
                bool ok = false;
                const char byte = char(label.mid(at + 2, 2).toInt(&ok, 16));
                if (ok)
                    label.replace(at, 4, QByteArray(1, byte));
            }
            labels.insert(device, QString::fromUtf8(label));
        }
        return labels;
    }

    // A share's or a FUSE mount's own name: "//server/share", "user@host:", a source folder.
    // A bare program name ("fuseiso", "smbnetfs") says nothing the type does not.
    QString sourceName(libmnt_fs* fs)
    {
        const QByteArray source = mnt_fs_get_source(fs);
        if (source.startsWith("/dev/") || !(source.contains('/') || source.contains(':')))
            return {};
        return QString::fromUtf8(source);
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

// The mount table, as /proc/self/mountinfo gives it: no mount is asked anything, so a
// stalled share or a stopped FUSE program cannot hold up the list.
QList<Drive> machineDrives()
{
    QList<Drive> drives;
    const std::unique_ptr<libmnt_table, void (*)(libmnt_table*)> table(
        mnt_new_table(), mnt_unref_table);
    const std::unique_ptr<libmnt_iter, void (*)(libmnt_iter*)> next(
        mnt_new_iter(MNT_ITER_FORWARD), mnt_free_iter);
    if (table && next && mnt_table_parse_mtab(table.get(), nullptr) == 0) {
        const QHash<QByteArray, QString> labels = labelsByDevice();
        // A later mount on the same folder hides the earlier one.
        QHash<QByteArray, qsizetype> byTarget;
        libmnt_fs* fs = nullptr;
        while (mnt_table_next_fs(table.get(), next.get(), &fs) == 0) {
            const char* target = mnt_fs_get_target(fs);
            if (!target || !holdsFiles(fs) || isSystemPlace(target))
                continue;
            const QByteArray source = mnt_fs_get_source(fs) ? mnt_fs_get_source(fs) : "";
            const QString label
                = labels.value(source, source.isEmpty() ? QString() : sourceName(fs));
            const QByteArray key(target);
            if (byTarget.contains(key)) {
                drives[byTarget.value(key)].label = label;
                continue;
            }
            if (!isFolderWithoutAsking(target))
                continue;
            byTarget.insert(key, drives.size());
            drives.append({ Path(target), label });
        }
        if (byTarget.contains("/"))
            return drives;
    }
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

Path systemForm(const Path& path) { return path; }

}
