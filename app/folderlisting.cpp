#include "folderlisting.h"

#include "nativename.h"

#include <QDir>
#include <QFile>

#include <algorithm>

#ifndef Q_OS_WIN
#include <dirent.h>
#include <sys/stat.h>
#endif

namespace FolderListing {

namespace {

    char fold(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

    void sortNames(QStringList& names)
    {
        std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
            const int c = a.compare(b, Qt::CaseInsensitive);
            return c != 0 ? c < 0 : a < b;
        });
    }

#ifdef Q_OS_WIN

    QStringList read(const QString& folder, Kind kind, const QString& pattern)
    {
        // Without QDir::Hidden and QDir::System, hidden and system entries stay out.
        const QDir::Filters filters
            = kind == Kind::Files ? QDir::Files : QDir::Dirs | QDir::NoDotAndDotDot;
        return QDir(folder).entryList(
            pattern.isEmpty() ? QStringList() : QStringList { pattern }, filters, QDir::Unsorted);
    }

#else

    QStringList read(const QString& folder, Kind kind, const QString& pattern)
    {
        QStringList names;
        const QByteArray encodedFolder = NativeName::encode(folder);
        DIR* dir = opendir(encodedFolder.constData());
        if (!dir)
            return names;
        const QByteArray encodedPattern = QFile::encodeName(pattern);
        const int fd = dirfd(dir);
        while (const dirent* entry = readdir(dir)) {
            const QByteArrayView name(entry->d_name);
            if (name.startsWith('.'))
                continue; // hidden, and "." and ".."
            if (!encodedPattern.isEmpty() && !matches(encodedPattern, name))
                continue;
            bool isDir = entry->d_type == DT_DIR;
            bool isFile = entry->d_type == DT_REG;
            if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
                // Follow links, as a file manager does; a broken link is neither.
                struct stat info;
                if (fstatat(fd, entry->d_name, &info, 0) != 0)
                    continue;
                isDir = S_ISDIR(info.st_mode);
                isFile = S_ISREG(info.st_mode);
            }
            if (kind == Kind::Files ? isFile : isDir)
                names.append(NativeName::decode(name));
        }
        closedir(dir);
        return names;
    }

#endif

}

bool matches(QByteArrayView pattern, QByteArrayView name)
{
    // Iterative glob with one backtrack point for the last '*'.
    qsizetype p = 0, n = 0, star = -1, mark = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            mark = n;
        } else if (p < pattern.size() && (pattern[p] == '?' || fold(pattern[p]) == fold(name[n]))) {
            ++p;
            ++n;
        } else if (star >= 0) {
            p = star + 1;
            n = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

QStringList list(const QString& folder, Kind kind, const QString& pattern)
{
    QStringList names = read(folder, kind, pattern);
    sortNames(names);
    return names;
}

}
