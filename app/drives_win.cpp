#include "drivesplatform.h"

#include "nativepath.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

#include <direct.h>
#include <windows.h>

#include <cwctype>
#include <iterator>

namespace Drives::Platform {

namespace {

    // "C:/" and the like; the test seam's drives are ordinary folders.
    bool isLetterRoot(const Path& root)
    {
        const std::wstring& name = root.native();
        return name.size() == 3 && iswalpha(name[0]) && name[1] == L':'
            && (name[2] == L'/' || name[2] == L'\\');
    }

}

bool sameName(const Path& a, const Path& b)
{
    return QDir::fromNativeSeparators(QString::fromStdWString(a.native()))
               .compare(QDir::fromNativeSeparators(QString::fromStdWString(b.native())),
                   Qt::CaseInsensitive)
        == 0;
}

QList<Drive> machineDrives()
{
    QList<Drive> drives;
    for (const QFileInfo& info : QDir::drives()) {
        const QString root = info.absoluteFilePath();
        drives.append({ NativePath::fromText(root), QStorageInfo(root).name() });
    }
    return drives;
}

QString display(const Drive& drive)
{
    const QString name = NativePath::shown(drive.root);
    const QString shown = isLetterRoot(drive.root) ? name.left(2).toLower() : name;
    return drive.label.isEmpty() ? shown : QStringLiteral("%1 [%2]").arg(shown, drive.label);
}

// Windows keeps each drive's current folder in the hidden variable "=X:",
// inherited from the program that started this one.
Path systemFolderOf(const Path& root)
{
    if (!isLetterRoot(root))
        return {};
    wchar_t buffer[32768];
    const int drive = towupper(root.native()[0]) - L'A' + 1;
    if (_wgetdcwd(drive, buffer, int(std::size(buffer))) == nullptr)
        return {};
    return Path(buffer);
}

// SetCurrentDirectory alone does not update "=X:", the variable that
// _wgetdcwd and the programs this one starts read.
void keepSystemFolder(const Path& root, const Path& path)
{
    if (!isLetterRoot(root))
        return;
    const std::wstring name = { L'=', wchar_t(towupper(root.native()[0])), L':' };
    SetEnvironmentVariableW(name.c_str(), Path(path).make_preferred().c_str());
}

// Windows keeps the current folder as it was set, through links and junctions.
Path processFolder()
{
    std::error_code error;
    Path here = std::filesystem::current_path(error);
    return error ? Path() : here;
}

std::error_code setProcessFolder(const Path& path)
{
    std::error_code error;
    std::filesystem::current_path(path, error);
    return error;
}

void resetProcessFolder() { }

}
