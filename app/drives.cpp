// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "drives.h"

#include "drivesplatform.h"
#include "gsierror.h"
#include "nativepath.h"

#include <algorithm>
#include <map>
#include <optional>

namespace Drives {

namespace {

    std::optional<QList<Drive>> testDrives;

    // Each drive's current folder as the program has seen it. Drives not in
    // here start where the system says, or at their roots.
    std::map<Path, Path> keptFolders;

    // Whether `path` lies on or below `root`, part by part.
    bool contains(const Path& root, const Path& path)
    {
        auto at = path.begin();
        for (const Path& part : root) {
            if (part.empty())
                continue; // a trailing separator
            if (at == path.end() || !Platform::sameName(part, *at))
                return false;
            ++at;
        }
        return true;
    }

    int depth(const Path& root)
    {
        return int(
            std::count_if(root.begin(), root.end(), [](const Path& p) { return !p.empty(); }));
    }

    [[noreturn]] void fail(int number, const QString& description)
    {
        throw GsiError(number, description.toStdString());
    }

    QString shown(const Path& path) { return NativePath::shown(path); }

    void checkFolder(const Path& path)
    {
        if (!isFolder(path))
            fail(GsiError::PathNotFound, QStringLiteral("Mappen findes ikke: %1").arg(shown(path)));
    }

    void keepFolder(const Path& root, const Path& path)
    {
        keptFolders[root] = path;
        Platform::keepSystemFolder(root, path);
    }

    // The folder about to be left stays the current folder of its drive: the
    // start folder too, before the user's first step, whichever control that is.
    void keepCurrentFolder()
    {
        const Path here = currentFolder();
        if (!here.empty())
            keepFolder(driveOf(here), here);
    }

    void changeFolder(const Path& path)
    {
        checkFolder(path);
        keepCurrentFolder();
        if (const std::error_code error = Platform::setProcessFolder(path)) {
            if (error == std::errc::permission_denied)
                fail(GsiError::PermissionDenied,
                    QStringLiteral("Ingen adgang til mappen %1").arg(shown(path)));
            fail(GsiError::PathNotFound,
                QStringLiteral("Mappen %1 kan ikke åbnes").arg(shown(path)));
        }
        keepFolder(driveOf(path), path);
    }

}

QString Drive::display() const { return Platform::display(*this); }

Path clean(const Path& path)
{
    Path cleaned = path.lexically_normal();
    if (!cleaned.has_filename() && cleaned.has_relative_path())
        cleaned = cleaned.parent_path();
    return cleaned;
}

QList<Drive> list()
{
    QList<Drive> drives = testDrives ? *testDrives : Platform::machineDrives();
    std::sort(drives.begin(), drives.end(), [](const Drive& a, const Drive& b) {
        const bool aRoot = a.root == Path("/");
        const bool bRoot = b.root == Path("/");
        if (aRoot != bRoot)
            return aRoot;
        return NativePath::toText(a.root).compare(NativePath::toText(b.root), Qt::CaseInsensitive)
            < 0;
    });
    return drives;
}

Path driveOf(const Path& path)
{
    std::optional<Path> best;
    for (const Drive& drive : list()) {
        if (contains(drive.root, path) && (!best || depth(drive.root) > depth(*best)))
            best = drive.root;
    }
    return best ? *best : path.root_path();
}

bool isFolder(const Path& path)
{
    std::error_code error;
    return std::filesystem::is_directory(Platform::systemForm(path), error);
}

Path currentFolder() { return Platform::processFolder(); }

Path currentFolderOf(const Path& root)
{
    const auto kept = keptFolders.find(root);
    const Path folder = kept != keptFolders.end() ? kept->second : Platform::systemFolderOf(root);
    return folder.empty() ? root : folder;
}

void checkDrive(const Path& root)
{
    // A drive that is gone (unmounted, unplugged) is not available at all; one that is
    // there without a folder at its root (an empty card reader) is not ready.
    std::error_code error;
    const bool exists = std::filesystem::exists(Platform::systemForm(root), error);
    if (!exists && !error)
        fail(GsiError::DeviceUnavailable,
            QStringLiteral("Drevet %1 er ikke tilgængeligt").arg(shown(root)));
    if (!isFolder(root))
        fail(GsiError::DiskNotReady, QStringLiteral("Drevet %1 er ikke klar").arg(shown(root)));
}

void makeCurrentFolder(const Path& path) { changeFolder(clean(path)); }

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
