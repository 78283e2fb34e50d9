// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The fault files on Linux; faultfiles_win.cpp holds the Windows side.
#include "faultfiles.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace FaultFiles {

bool makeFolder(const QByteArray& path) { return ::mkdir(path.constData(), 0755) == 0; }

bool writeRaw(const QByteArray& path, const QByteArray& bytes)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n <= 0)
            break;
        done += n;
    }
    return ::close(fd) == 0 && done == bytes.size();
}

QByteArray readRaw(const QByteArray& path)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return "<missing>";
    QByteArray bytes;
    char chunk[65536];
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0) {
            ::close(fd);
            return "<unreadable>";
        }
        if (n == 0)
            break;
        bytes.append(chunk, n);
    }
    ::close(fd);
    return bytes;
}

bool removeRaw(const QByteArray& path) { return ::unlink(path.constData()) == 0; }

bool removeTree(const QByteArray& path)
{
    for (const QByteArray& entry : listRaw(path)) {
        const QByteArray inner = path + '/' + entry;
        struct stat info;
        if (::lstat(inner.constData(), &info) != 0)
            return false;
        if (S_ISDIR(info.st_mode) ? !removeTree(inner) : ::unlink(inner.constData()) != 0)
            return false;
    }
    return ::rmdir(path.constData()) == 0;
}

QByteArrayList listRaw(const QByteArray& folder)
{
    QByteArrayList names;
    DIR* dir = ::opendir(folder.constData());
    if (!dir)
        return names;
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray entryName(entry->d_name);
        if (entryName != "." && entryName != "..")
            names.append(entryName);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

bool fillUp(const QByteArray& path)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const QByteArray block(4096, 'f');
    // Whole blocks first, then single bytes into the last partial block.
    while (::write(fd, block.constData(), size_t(block.size())) > 0) { }
    while (::write(fd, block.constData(), 1) > 0) { }
    const bool full = errno == ENOSPC;
    return ::close(fd) == 0 && full;
}

bool setWritable(const QByteArray& folder, bool writable)
{
    return ::chmod(folder.constData(), writable ? 0755 : 0555) == 0;
}

QByteArray denyWriting(const QByteArray& folder, const QByteArray&)
{
    return setWritable(folder, false) ? folder : QByteArray();
}

bool allowWriting(const QByteArray& denied) { return setWritable(denied, true); }

bool denyReading(const QByteArray& path) { return ::chmod(path.constData(), 0) == 0; }
bool allowReading(const QByteArray& path) { return ::chmod(path.constData(), 0600) == 0; }

bool holdOpen(const QByteArray&) { return false; }
void releaseHeld() { }

bool currentFolderCannotVanish() { return false; }

}
