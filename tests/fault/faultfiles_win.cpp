// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The fault files on Windows; faultfiles_posix.cpp holds the Linux side.
#include "faultfiles.h"
#include "platformtest.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <algorithm>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

using namespace Qt::StringLiterals;

namespace FaultFiles {

static QString name(const QByteArray& path) { return QString::fromUtf8(path); }

// The \\?\ form of the full path, so that a name such as "prn.gsi" is that file and not the
// printer Windows would otherwise take it for.
static std::wstring verbatim(const QByteArray& path)
{
    const QString full = QDir::toNativeSeparators(QFileInfo(name(path)).absoluteFilePath());
    return (full.startsWith(u"\\\\") ? u"\\\\?\\UNC\\"_s + full.mid(2) : u"\\\\?\\"_s + full)
        .toStdWString();
}

// Through the \\?\ form too, so that "dir." is made and not its sibling "dir".
bool makeFolder(const QByteArray& path)
{
    return QDir().mkpath(QFileInfo(name(path)).absolutePath())
        && (CreateDirectoryW(verbatim(path).c_str(), nullptr)
            || GetLastError() == ERROR_ALREADY_EXISTS);
}

bool writeRaw(const QByteArray& path, const QByteArray& bytes)
{
    // Opened and emptied, as QFile does it: CREATE_ALWAYS would refuse a hidden file.
    const HANDLE file = CreateFileW(verbatim(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
        OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool ok = SetEndOfFile(file)
        && WriteFile(file, bytes.constData(), DWORD(bytes.size()), &written, nullptr)
        && written == DWORD(bytes.size());
    return CloseHandle(file) && ok;
}

QByteArray readRaw(const QByteArray& path)
{
    const HANDLE file = CreateFileW(verbatim(path).c_str(), GENERIC_READ,
        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "<missing>";
    QByteArray bytes;
    char chunk[65536];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0)
        bytes.append(chunk, qsizetype(got));
    CloseHandle(file);
    return bytes;
}

bool removeRaw(const QByteArray& path) { return QFile::remove(name(path)); }
bool removeTree(const QByteArray& path) { return QDir(name(path)).removeRecursively(); }

QByteArrayList listRaw(const QByteArray& folder)
{
    QByteArrayList names;
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((verbatim(folder) + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        const QString entry = QString::fromWCharArray(found.cFileName);
        if (entry != u"."_s && entry != u".."_s)
            names.append(entry.toUtf8());
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

bool fillUp(const QByteArray&) { return false; }

static bool setReadOnly(const QByteArray& path, bool readOnly)
{
    const std::wstring file = name(path).toStdWString();
    const DWORD attributes = GetFileAttributesW(file.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return false;
    return SetFileAttributesW(file.c_str(),
        readOnly ? attributes | FILE_ATTRIBUTE_READONLY : attributes & ~FILE_ATTRIBUTE_READONLY);
}

// A folder's read-only attribute stops nothing; a file's keeps it from being replaced.
bool setWritable(const QByteArray& path, bool writable) { return setReadOnly(path, !writable); }

QByteArray denyWriting(const QByteArray&, const QByteArray& output)
{
    return setReadOnly(output, true) ? output : QByteArray();
}

bool allowWriting(const QByteArray& denied) { return setReadOnly(denied, false); }

// The holders, one program for each file (PlatformTest::denyReading).
static QHash<QByteArray, std::shared_ptr<void>>& held()
{
    static QHash<QByteArray, std::shared_ptr<void>> holders;
    return holders;
}

bool holdOpen(const QByteArray& path)
{
    std::shared_ptr<void> holder = PlatformTest::denyReading(name(path));
    if (!holder)
        return false;
    held().insert(path, std::move(holder));
    return true;
}

void releaseHeld() { held().clear(); }

bool denyReading(const QByteArray& path) { return holdOpen(path); }

bool allowReading(const QByteArray& path) { return held().take(path) != nullptr; }

bool currentFolderCannotVanish() { return true; }

}
