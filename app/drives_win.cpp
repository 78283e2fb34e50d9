#include "drivesplatform.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

#include <direct.h>
#include <windows.h>

#include <iterator>

namespace Drives::Platform {

namespace {

    // "C:/" and the like; the test seam's drives are ordinary folders.
    bool isLetterRoot(const QString& root)
    {
        return root.size() == 3 && root.at(0).isLetter() && root.at(1) == QLatin1Char(':')
            && root.at(2) == QLatin1Char('/');
    }

}

Qt::CaseSensitivity pathCase() { return Qt::CaseInsensitive; }

QList<Drive> machineDrives()
{
    QList<Drive> drives;
    for (const QFileInfo& info : QDir::drives()) {
        const QString root = info.absoluteFilePath();
        drives.append({ root, QStorageInfo(root).name() });
    }
    return drives;
}

QString display(const Drive& drive)
{
    const QString name = QDir::toNativeSeparators(drive.root);
    const QString shown = isLetterRoot(drive.root) ? name.left(2).toLower() : name;
    return drive.label.isEmpty() ? shown : QStringLiteral("%1 [%2]").arg(shown, drive.label);
}

// Windows keeps each drive's current folder in the hidden variable "=X:",
// inherited from the program that started this one.
QString systemFolderOf(const QString& root)
{
    if (!isLetterRoot(root))
        return {};
    wchar_t buffer[32768];
    const int drive = root.at(0).toUpper().unicode() - 'A' + 1;
    if (_wgetdcwd(drive, buffer, int(std::size(buffer))) == nullptr)
        return {};
    return QDir::fromNativeSeparators(QString::fromWCharArray(buffer));
}

// SetCurrentDirectory alone does not update "=X:", the variable that
// _wgetdcwd and the programs this one starts read.
void keepSystemFolder(const QString& root, const QString& path)
{
    if (!isLetterRoot(root))
        return;
    const QString name = QLatin1Char('=') + root.left(2).toUpper();
    SetEnvironmentVariableW(reinterpret_cast<const wchar_t*>(name.utf16()),
        reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(path).utf16()));
}

// Windows keeps the current folder as it was set, through links and junctions.
QString processFolder() { return QDir::currentPath(); }

bool setProcessFolder(const QString& path) { return QDir::setCurrent(path); }

void resetProcessFolder() { }

}
