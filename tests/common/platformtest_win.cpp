// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "platformtest.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace PlatformTest {

bool onWindows() { return true; }

bool isRoot() { return false; }

bool markHiddenOrSystem(const QString& path, bool system)
{
    return SetFileAttributesW(QDir::toNativeSeparators(path).toStdWString().c_str(),
        system ? FILE_ATTRIBUTE_SYSTEM : FILE_ATTRIBUTE_HIDDEN);
}

std::shared_ptr<void> denyReading(const QString& path)
{
    // Beside the test: a path without a drive letter would lead under Wine to the current
    // drive, which a test may have changed to C:.
    const QString program
        = QCoreApplication::applicationDirPath() + u'/' + QStringLiteral(HOLDOPEN);
    auto holder = std::make_shared<QProcess>();
    holder->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    holder->start(program, { QDir::toNativeSeparators(path) });
    // Under load Wine may take seconds to start a program.
    while (!holder->canReadLine() && holder->waitForReadyRead(30000)) { }
    if (!holder->canReadLine() || holder->readLine().trimmed() != "held") {
        qWarning("%ls did not hold %ls: %ls", qUtf16Printable(program), qUtf16Printable(path),
            qUtf16Printable(holder->errorString()));
        holder->kill();
        holder->waitForFinished();
        return nullptr;
    }
    return std::shared_ptr<void>(holder.get(), [holder](void*) {
        // A closed input lets it go; should it not end, it is ended.
        holder->closeWriteChannel();
        if (!holder->waitForFinished(30000)) {
            holder->kill();
            holder->waitForFinished();
        }
    });
}

QString shortName(const QString& path)
{
    const std::wstring name = QDir::toNativeSeparators(path).toStdWString();
    wchar_t buffer[MAX_PATH];
    const DWORD size = GetShortPathNameW(name.c_str(), buffer, MAX_PATH);
    if (size == 0 || size >= MAX_PATH) {
        qWarning("GetShortPathNameW(%ls): size %lu, error %lu", name.c_str(), size, GetLastError());
        return {};
    }
    return QFileInfo(QString::fromWCharArray(buffer, int(size))).fileName();
}

namespace {

    // The Linux symlink call, made directly: a Windows program under Wine is a Linux process.
    long linuxSymlink(const char* target, const char* link)
    {
        long result = 88; // __NR_symlink on x86-64
        asm volatile("syscall" : "+a"(result) : "D"(target), "S"(link) : "rcx", "r11", "memory");
        return result;
    }

}

bool makeSymbolicLink(const QString& target, const QString& link)
{
    const std::wstring name = QDir::toNativeSeparators(link).toStdWString();
    using UnixName = char*(CDECL*)(const wchar_t*);
    const auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!unixName) {
        const DWORD flags = SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE;
        return CreateSymbolicLinkW(
            name.c_str(), QDir::toNativeSeparators(target).toStdWString().c_str(), flags);
    }
    char* unixLink = unixName(name.c_str());
    if (!unixLink)
        return false;
    const QByteArray unixTarget = QDir::fromNativeSeparators(target).toUtf8();
    const bool made = linuxSymlink(unixTarget.constData(), unixLink) == 0;
    HeapFree(GetProcessHeap(), 0, unixLink);
    return made;
}

}
