#include "faultfiles.h"

#include <QDir>
#include <QFile>

#include <algorithm>

#ifdef Q_OS_WIN
#include <QHash>
#include <windows.h>
#else
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace FaultFiles {

#ifdef Q_OS_WIN

static QString name(const QByteArray& path) { return QString::fromUtf8(path); }

bool makeFolder(const QByteArray& path) { return QDir().mkpath(name(path)); }

bool writeRaw(const QByteArray& path, const QByteArray& bytes)
{
    QFile file(name(path));
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readRaw(const QByteArray& path)
{
    QFile file(name(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

bool removeRaw(const QByteArray& path) { return QFile::remove(name(path)); }
bool removeTree(const QByteArray& path) { return QDir(name(path)).removeRecursively(); }

QByteArrayList listRaw(const QByteArray& folder)
{
    QByteArrayList names;
    for (const QString& entry :
        QDir(name(folder))
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
        names.append(entry.toUtf8());
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

static QHash<QByteArray, HANDLE>& held()
{
    static QHash<QByteArray, HANDLE> handles;
    return handles;
}

bool holdOpen(const QByteArray& path)
{
    const HANDLE handle = CreateFileW(name(path).toStdWString().c_str(),
        GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    held().insert(path, handle);
    return true;
}

void releaseHeld()
{
    for (const HANDLE handle : std::as_const(held()))
        CloseHandle(handle);
    held().clear();
}

bool denyReading(const QByteArray& path) { return holdOpen(path); }

bool allowReading(const QByteArray& path)
{
    const HANDLE handle = held().take(path);
    return handle && CloseHandle(handle);
}

bool currentFolderCannotVanish() { return true; }

#else

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

#endif

}
