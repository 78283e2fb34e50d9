// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "drivesplatform.h"

#include "identity_win.h"
#include "nativepath.h"
#include "winpath_win.h"

#include <QDir>

#include <windows.h>
#include <winnetwk.h>

#include <cwctype>
#include <string>

namespace Drives::Platform {

namespace {

    // The current folder as the program set it; empty before its first change.
    Path chosenFolder;

    // "C:/" and the like; the test seam's drives are ordinary folders.
    bool isLetterRoot(const Path& root)
    {
        const std::wstring& name = root.native();
        return name.size() == 3 && iswalpha(name[0]) && name[1] == L':'
            && (name[2] == L'/' || name[2] == L'\\');
    }

    // \\server\share for a network drive, as Windows keeps the connection: the share
    // itself is not asked, so one that is slow or gone cannot hold the list up.
    QString shareOf(wchar_t letter)
    {
        const std::wstring drive = { letter, L':' };
        wchar_t share[MAX_PATH + 1];
        DWORD length = MAX_PATH + 1;
        if (WNetGetConnectionW(drive.c_str(), share, &length) != NO_ERROR)
            return {};
        return QString::fromWCharArray(share);
    }

    // The volume label of a local disk. Removable and optical drives are not asked: that
    // would wait for a medium, or spin one up.
    QString labelOf(const std::wstring& root)
    {
        wchar_t label[MAX_PATH + 1];
        if (!GetVolumeInformationW(
                root.c_str(), label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0))
            return {};
        return QString::fromWCharArray(label);
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
    const DWORD letters = GetLogicalDrives();
    for (int i = 0; i < 26; ++i) {
        if (!(letters & (DWORD(1) << i)))
            continue;
        const wchar_t letter = wchar_t(L'A' + i);
        QString label;
        switch (GetDriveTypeW(std::wstring { letter, L':', L'\\' }.c_str())) {
        case DRIVE_REMOTE:
            label = shareOf(letter);
            break;
        case DRIVE_FIXED:
        case DRIVE_RAMDISK:
            label = labelOf({ letter, L':', L'\\' });
            break;
        default:
            break;
        }
        drives.append({ Path(std::wstring { letter, L':', L'/' }), label });
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
// inherited from the program that started this one. The full path of the bare
// "X:" is that folder: Windows reads it from the variable, as the C runtime's
// _wgetdcwd does on Windows (Wine's _wgetdcwd ignores the variable and gives the
// root).
Path systemFolderOf(const Path& root)
{
    if (!isLetterRoot(root))
        return {};
    const std::wstring drive = { wchar_t(towupper(root.native()[0])), L':' };
    // Asked for the length first: a buffer of the longest path is more than Wine takes.
    const DWORD needed = GetFullPathNameW(drive.c_str(), 0, nullptr, nullptr);
    if (needed == 0)
        return {};
    std::wstring buffer(needed, L'\0');
    const DWORD length = GetFullPathNameW(drive.c_str(), needed, buffer.data(), nullptr);
    if (length == 0 || length >= needed)
        return {};
    buffer.resize(length);
    return Path(buffer);
}

// SetCurrentDirectory alone does not update "=X:", the variable that
// GetFullPathName and the programs this one starts read.
void keepSystemFolder(const Path& root, const Path& path)
{
    if (!isLetterRoot(root))
        return;
    const std::wstring name = { L'=', wchar_t(towupper(root.native()[0])), L':' };
    SetEnvironmentVariableW(name.c_str(), Path(path).make_preferred().c_str());
}

// Only a path that the plain form would change takes the \\?\ form: Windows drops a dot that
// ends any folder name in it ("dir.", "dir.\sub"), and blanks that end the last ("dir "); a
// blank ending an inner name is taken along, which costs nothing. Wine keeps each drive's own
// current folder only for plain names.
Path systemForm(const Path& path)
{
    bool plainLoses = false;
    for (const Path& step : path.relative_path()) {
        const std::wstring& name = step.native();
        plainLoses = plainLoses
            || (!name.empty() && name != L"." && name != L".."
                && (name.back() == L'.' || name.back() == L' '));
    }
    return plainLoses ? WinPath::extended(WinPath::full(path)) : path;
}

// Windows keeps the current folder as it was set, through links and junctions, and holds it
// open: it cannot be renamed or removed while it is current. A name ending in a dot or a blank
// is set in the \\?\ form (systemForm), so that "dir." is that folder and not its sibling
// "dir"; every folder is named as the user chose it.
Path processFolder()
{
    // The name chosen holds as long as it still names the folder Windows has as current.
    FileIdentity chosen;
    FileIdentity current;
    bool ordinary = false;
    if (!chosenFolder.empty() && identityAt(systemForm(chosenFolder), chosen, ordinary)
        && identityAt(L".", current, ordinary) && chosen == current)
        return chosenFolder;
    const Path here = systemProcessFolder();
    return here.empty() ? here : WinPath::plain(here);
}

std::error_code setProcessFolder(const Path& path)
{
    if (!SetCurrentDirectoryW(systemForm(path).c_str())) {
        const DWORD error = GetLastError();
        return std::error_code(
            error == ERROR_ACCESS_DENIED ? EACCES : ENOENT, std::generic_category());
    }
    chosenFolder = path;
    return {};
}

void resetProcessFolder() { chosenFolder.clear(); }

}
