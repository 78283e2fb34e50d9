// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "form1.h"

#include <QDir>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <shellapi.h>

namespace {

// WordPad as registered under "App Paths", the place Windows itself looks a program up by
// name; the user's own entry comes before the machine's.
QString registeredWordPad()
{
    const wchar_t* key = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\wordpad.exe";
    for (HKEY root : { HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE }) {
        wchar_t value[MAX_PATH * 2];
        DWORD size = sizeof value;
        // REG_EXPAND_SZ comes back with %ProgramFiles% and the like expanded.
        if (RegGetValueW(
                root, key, nullptr, RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ, nullptr, value, &size)
            != ERROR_SUCCESS)
            continue;
        QString path = QString::fromWCharArray(value).trimmed();
        if (path.size() >= 2 && path.startsWith(u'"') && path.endsWith(u'"'))
            path = path.mid(1, path.size() - 2);
        if (!path.isEmpty())
            return QDir::toNativeSeparators(path);
    }
    return {};
}

}

// WordPad where a Danish Windows used to install it first; then where Windows keeps it today,
// by its registration and by its folder under Program Files.
QStringList Form1::helpPrograms()
{
    QStringList programs { QStringLiteral("C:\\Programmer\\Windows NT\\Tilbehør\\wordpad.exe") };
    const QString registered = registeredWordPad();
    if (!registered.isEmpty())
        programs << registered;
    const QString programFiles = qEnvironmentVariable("ProgramFiles");
    if (!programFiles.isEmpty())
        programs << QDir::toNativeSeparators(programFiles)
                + QStringLiteral("\\Windows NT\\Accessories\\wordpad.exe");
    programs.removeDuplicates();
    return programs;
}

QString Form1::helpAssociationName()
{
    return QStringLiteral("det program, Windows åbner .rtf-filer med");
}

bool Form1::openWithAssociatedProgram(const QString& document)
{
    // Above 32 means started; the document goes as one name, never through a command line.
    const auto result = reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open",
        reinterpret_cast<const wchar_t*>(document.utf16()), nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32;
}
