// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "form1.h"

#include "winpath_win.h"

#include <QCoreApplication>
#include <QDir>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <knownfolders.h>
#include <shellapi.h>
#include <shlobj.h>

namespace {

QString fromWide(const std::wstring& text) { return QString::fromStdWString(text); }

// WordPad as the machine registers it under "App Paths", the place Windows itself looks a
// program up by name. Only the machine's entry counts: only an administrator writes it.
QString registeredWordPad()
{
    const wchar_t* key = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\wordpad.exe";
    wchar_t value[MAX_PATH * 2];
    DWORD size = sizeof value;
    // A REG_EXPAND_SZ value comes back expanded, as REG_SZ, so REG_SZ alone asks for both:
    // asking for REG_EXPAND_SZ as well, without RRF_NOEXPAND, fails with an invalid parameter.
    if (RegGetValueW(HKEY_LOCAL_MACHINE, key, nullptr, RRF_RT_REG_SZ, nullptr, value, &size)
        != ERROR_SUCCESS)
        return {};
    QString path = QString::fromWCharArray(value).trimmed();
    if (path.size() >= 2 && path.startsWith(u'"') && path.endsWith(u'"'))
        path = path.mid(1, path.size() - 2);
    return QDir::toNativeSeparators(path);
}

QString knownFolder(const KNOWNFOLDERID& id)
{
    PWSTR path = nullptr;
    QString folder;
    if (SUCCEEDED(SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &path)))
        folder = QString::fromWCharArray(path);
    CoTaskMemFree(path);
    return folder;
}

// The folders only an administrator can put a program in, as the system reports them: not the
// environment, which any user sets for his own programs.
QStringList systemProgramFolders()
{
    QStringList folders;
    for (const KNOWNFOLDERID* id : { &FOLDERID_ProgramFiles, &FOLDERID_ProgramFilesX86,
             &FOLDERID_ProgramFilesX64, &FOLDERID_Windows }) {
        const QString folder = knownFolder(*id);
        if (!folder.isEmpty())
            folders << QDir::toNativeSeparators(folder);
    }
    folders.removeDuplicates();
    return folders;
}

}

// WordPad where a Danish Windows used to install it, where Program Files was C:\Programmer;
// then where Windows keeps it today, by the machine's registration and by its folder under
// Program Files. Each is started only where isSystemProgram() vouches for it.
QStringList Form1::helpPrograms()
{
    QStringList programs { QStringLiteral("C:\\Programmer\\Windows NT\\Tilbehør\\wordpad.exe") };
    const QString registered = registeredWordPad();
    if (!registered.isEmpty())
        programs << registered;
    const QString programFiles = knownFolder(FOLDERID_ProgramFiles);
    if (!programFiles.isEmpty())
        programs << QDir::toNativeSeparators(programFiles)
                + QStringLiteral("\\Windows NT\\Accessories\\wordpad.exe");
    programs.removeDuplicates();
    return programs;
}

// Any user may make C:\Programmer, or any other folder in C:\, and put a wordpad.exe there,
// which would then run as whoever presses Hjælp next. So a program's full path, with its "."
// and ".." resolved, must lie in one of the system's own program folders, or be the one the
// machine's registration names.
bool Form1::isSystemProgram(const QString& program)
{
    const QString full
        = fromWide(WinPath::full(QDir::toNativeSeparators(program).toStdWString()).native());
    if (full.compare(registeredWordPad(), Qt::CaseInsensitive) == 0)
        return true;
    for (const QString& folder : systemProgramFolders()) {
        const QString root = folder.endsWith(u'\\') ? folder : folder + u'\\';
        if (full.startsWith(root, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

QString Form1::helpAssociationName()
{
    return QStringLiteral("det program, Windows åbner .rtf-filer med");
}

bool Form1::openWithAssociatedProgram(const QString& document)
{
    // Above 32 means started; the document goes as one name, never through a command line.
    // The program starts in this program's own folder, never in the folder being browsed,
    // which may be a share anyone writes to.
    const QString folder = QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
    // It runs on a worker thread, where the shell's handlers need COM started.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", reinterpret_cast<const wchar_t*>(document.utf16()), nullptr,
            reinterpret_cast<const wchar_t*>(folder.utf16()), SW_SHOWNORMAL));
    if (SUCCEEDED(com))
        CoUninitialize();
    return result > 32;
}
