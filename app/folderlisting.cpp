#include "folderlisting.h"

#include "namepattern.h"
#include "nativepath.h"

#include <QDir>

#include <algorithm>

#ifndef Q_OS_WIN
#include <dirent.h>
#include <sys/stat.h>
#endif

namespace fs = std::filesystem;

namespace FolderListing {

namespace {

#ifdef Q_OS_WIN

    std::vector<fs::path> read(const fs::path& folder, Kind kind, const QString& pattern)
    {
        // Without QDir::Hidden and QDir::System, hidden and system entries stay out.
        const QDir::Filters filters
            = kind == Kind::Files ? QDir::Files : QDir::Dirs | QDir::NoDotAndDotDot;
        std::vector<fs::path> names;
        for (const QString& name :
            QDir(NativePath::toText(folder))
                .entryList(pattern.isEmpty() ? QStringList() : QStringList { pattern }, filters,
                    QDir::Unsorted))
            names.push_back(NativePath::fromText(name));
        return names;
    }

#else

    std::vector<fs::path> read(const fs::path& folder, Kind kind, const QString& pattern)
    {
        std::vector<fs::path> names;
        DIR* dir = opendir(folder.c_str());
        if (!dir)
            return names;
        const std::string encodedPattern = NativePath::fromText(pattern).native();
        const int fd = dirfd(dir);
        while (const dirent* entry = readdir(dir)) {
            const std::string_view name(entry->d_name);
            if (name.starts_with('.'))
                continue; // hidden, and "." and ".."
            if (!encodedPattern.empty() && !matchesPattern(std::string_view(encodedPattern), name))
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
                names.emplace_back(std::string(name));
        }
        closedir(dir);
        return names;
    }

#endif

}

std::vector<fs::path> list(const fs::path& folder, Kind kind, const QString& pattern)
{
    std::vector<fs::path> names = read(folder, kind, pattern);
    struct Entry {
        QString shown;
        fs::path name;
    };
    std::vector<Entry> entries;
    entries.reserve(names.size());
    for (fs::path& name : names)
        entries.push_back({ NativePath::toText(name), std::move(name) });
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        const int c = a.shown.compare(b.shown, Qt::CaseInsensitive);
        if (c != 0)
            return c < 0;
        return a.shown != b.shown ? a.shown < b.shown : a.name.native() < b.name.native();
    });
    names.clear();
    for (Entry& entry : entries)
        names.push_back(std::move(entry.name));
    return names;
}

}
