#include "folderlisting.h"

#include <algorithm>

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
    QStringList names = readUnsorted(folder, kind, pattern);
    sortNames(names);
    return names;
}

}
