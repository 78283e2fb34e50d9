#include "drives.h"

#include "drivesplatform.h"
#include "gsierror.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QStorageInfo>

#include <algorithm>
#include <optional>

namespace Drives {

namespace {

    std::optional<QList<Drive>> testDrives;

    // Each drive's current folder as the program has seen it. Drives not in
    // here start where the system says, or at their roots.
    QHash<QString, QString> keptFolders;

    bool contains(const QString& root, const QString& path)
    {
        const Qt::CaseSensitivity cs = Platform::pathCase();
        if (root.endsWith(QLatin1Char('/')))
            return path.startsWith(root, cs) || path + QLatin1Char('/') == root;
        return path.compare(root, cs) == 0 || path.startsWith(root + QLatin1Char('/'), cs);
    }

    QString shown(const QString& path) { return QDir::toNativeSeparators(path); }

    void checkFolder(const QString& path)
    {
        const QFileInfo info(path);
        if (!info.exists() || !info.isDir())
            throw GsiError(
                GsiError::PathNotFound, QStringLiteral("Mappen findes ikke: %1").arg(shown(path)));
        if (!info.isExecutable())
            throw GsiError(GsiError::PermissionDenied,
                QStringLiteral("Ingen adgang til mappen %1").arg(shown(path)));
    }

    void keepFolder(const QString& root, const QString& path)
    {
        keptFolders.insert(root, path);
        Platform::keepSystemFolder(root, path);
    }

    // The folder about to be left stays the current folder of its drive: the
    // start folder too, before the user's first step, whichever control that is.
    void keepCurrentFolder()
    {
        const QString here = currentFolder();
        if (!here.isEmpty())
            keepFolder(driveOf(here), here);
    }

    void changeFolder(const QString& path)
    {
        checkFolder(path);
        keepCurrentFolder();
        if (!Platform::setProcessFolder(path))
            throw GsiError(GsiError::PathNotFound,
                QStringLiteral("Mappen %1 kan ikke åbnes").arg(shown(path)));
        keepFolder(driveOf(path), QDir::cleanPath(path));
    }

}

QString Drive::display() const { return Platform::display(*this); }

QList<Drive> list()
{
    QList<Drive> drives = testDrives ? *testDrives : Platform::machineDrives();
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

QString currentFolder() { return Platform::processFolder(); }

QString currentFolderOf(const QString& root)
{
    QString folder = keptFolders.value(root);
    if (folder.isEmpty())
        folder = Platform::systemFolderOf(root);
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : root;
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
            QStringLiteral("Drevet %1 er ikke tilgængeligt").arg(shown(root)));
    if (notReady || !info.isDir() || !info.isExecutable())
        throw GsiError(
            GsiError::DiskNotReady, QStringLiteral("Drevet %1 er ikke klar").arg(shown(root)));
    changeFolder(currentFolderOf(root));
}

void makeCurrentFolder(const QString& path) { changeFolder(path); }

void setDrivesForTesting(const QList<Drive>& drives)
{
    if (drives.isEmpty())
        testDrives.reset();
    else
        testDrives = drives;
    keptFolders.clear();
    Platform::resetProcessFolder();
}

}
