#include "drives.h"

#include "gsierror.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QStorageInfo>

#include <algorithm>
#include <optional>

#ifdef Q_OS_WIN
#include <direct.h>
#include <windows.h>
#endif

namespace Drives {

namespace {

    std::optional<QList<Drive>> testDrives;

    bool contains(const QString& root, const QString& path)
    {
        if (root.endsWith(QLatin1Char('/')))
            return path.startsWith(root, Qt::CaseInsensitive) || path + QLatin1Char('/') == root;
        return path.compare(root, Qt::CaseInsensitive) == 0
            || path.startsWith(root + QLatin1Char('/'), Qt::CaseInsensitive);
    }

    QString shown(const QString& path) { return QDir::toNativeSeparators(path); }

    void checkFolder(const QString& path)
    {
        const QFileInfo info(path);
        if (!info.exists() || !info.isDir())
            throw GsiError(GsiError::PathNotFound,
                QStringLiteral("Mappen findes ikke: %1").arg(shown(path)).toStdString());
        if (!info.isExecutable())
            throw GsiError(GsiError::PermissionDenied,
                QStringLiteral("Ingen adgang til mappen %1").arg(shown(path)).toStdString());
    }

    void changeFolder(const QString& path)
    {
        checkFolder(path);
        if (!QDir::setCurrent(path))
            throw GsiError(GsiError::PathNotFound,
                QStringLiteral("Mappen %1 kan ikke åbnes").arg(shown(path)).toStdString());
    }

#ifdef Q_OS_WIN

    QList<Drive> machineDrives()
    {
        QList<Drive> drives;
        for (const QFileInfo& info : QDir::drives()) {
            const QString root = info.absoluteFilePath();
            drives.append({ root, QStorageInfo(root).name() });
        }
        return drives;
    }

    QString keptFolder(const QString& root)
    {
        wchar_t buffer[32768];
        const int drive = root.at(0).toUpper().unicode() - 'A' + 1;
        if (_wgetdcwd(drive, buffer, int(std::size(buffer))) == nullptr)
            return root;
        return QDir::fromNativeSeparators(QString::fromWCharArray(buffer));
    }

    // Windows keeps each drive's current folder in the hidden variable "=X:", the
    // one that _wgetdcwd reads; SetCurrentDirectory alone does not update it.
    void keepFolder(const QString& root, const QString& path)
    {
        const QString name = QLatin1Char('=') + root.left(2).toUpper();
        SetEnvironmentVariableW(reinterpret_cast<const wchar_t*>(name.utf16()),
            reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(path).utf16()));
    }

#else

    // Mounts that hold no ordinary files the user would browse.
    bool isPseudo(const QByteArray& type)
    {
        static const QSet<QByteArray> pseudo = { "proc", "sysfs", "cgroup", "cgroup2", "devtmpfs",
            "devpts", "securityfs", "pstore", "debugfs", "tracefs", "bpf", "mqueue", "hugetlbfs",
            "configfs", "fusectl", "autofs", "binfmt_misc", "nsfs", "efivarfs", "rpc_pipefs",
            "selinuxfs", "fuse.gvfsd-fuse", "fuse.portal" };
        return pseudo.contains(type);
    }

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

    QHash<QString, QString>& keptFolders()
    {
        static QHash<QString, QString> folders = [] {
            // The drive that holds the start folder starts there; the others at their roots.
            QHash<QString, QString> start;
            const QString here = QDir::currentPath();
            start.insert(driveOf(here), here);
            return start;
        }();
        return folders;
    }

    QString keptFolder(const QString& root) { return keptFolders().value(root, root); }

    void keepFolder(const QString& root, const QString& path) { keptFolders().insert(root, path); }

#endif

}

QString Drive::display() const
{
    const QString name = QDir::toNativeSeparators(root);
#ifdef Q_OS_WIN
    const QString letter = name.left(2).toLower();
    return label.isEmpty() ? letter : QStringLiteral("%1 [%2]").arg(letter, label);
#else
    return label.isEmpty() ? name : QStringLiteral("%1 [%2]").arg(name, label);
#endif
}

QList<Drive> list()
{
    QList<Drive> drives = testDrives ? *testDrives : machineDrives();
    std::sort(drives.begin(), drives.end(), [](const Drive& a, const Drive& b) {
        const bool aRoot = a.root == QLatin1String("/");
        const bool bRoot = b.root == QLatin1String("/");
        if (aRoot != bRoot)
            return aRoot;
        return a.root.compare(b.root, Qt::CaseInsensitive) < 0;
    });
    return drives;
}

QString driveOf(const QString& path)
{
    QString best;
    for (const Drive& drive : list()) {
        if (contains(drive.root, path) && drive.root.size() > best.size())
            best = drive.root;
    }
    if (best.isEmpty())
        best = QDir(path).rootPath();
    return best;
}

QString currentFolder() { return QDir::currentPath(); }

QString currentFolderOf(const QString& root)
{
    const QString folder = keptFolder(root);
    return QFileInfo(folder).isDir() ? folder : root;
}

void makeCurrentDrive(const QString& root)
{
    // An empty removable drive is still there but not ready; a drive that is
    // gone (unmounted, unplugged) is not available at all.
    const QFileInfo info(root);
    const QStorageInfo storage(root);
    const bool notReady = storage.isValid() && !storage.isReady();
    if (!info.exists() && !notReady)
        throw GsiError(GsiError::DeviceUnavailable,
            QStringLiteral("Drevet %1 er ikke tilgængeligt").arg(shown(root)).toStdString());
    if (notReady || !info.isDir() || !info.isExecutable())
        throw GsiError(GsiError::DiskNotReady,
            QStringLiteral("Drevet %1 er ikke klar").arg(shown(root)).toStdString());
    const QString folder = currentFolderOf(root);
    changeFolder(folder);
    keepFolder(root, folder);
}

void makeCurrentFolder(const QString& path)
{
    changeFolder(path);
    keepFolder(driveOf(path), QDir::cleanPath(QDir(path).absolutePath()));
}

void setDrivesForTesting(const QList<Drive>& drives)
{
    if (drives.isEmpty())
        testDrives.reset();
    else
        testDrives = drives;
#ifndef Q_OS_WIN
    keptFolders().clear();
    const QString here = QDir::currentPath();
    keptFolders().insert(driveOf(here), here);
#endif
}

}
