#include "folderlisting.h"

#include "nativepath.h"

#include <algorithm>

namespace FolderListing {

namespace {

    char fold(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

    // By the names the user sees; names shown alike keep a fixed order.
    void sortNames(Names& names)
    {
        std::vector<std::pair<QString, std::filesystem::path>> keyed;
        keyed.reserve(names.size());
        for (auto& name : names)
            keyed.emplace_back(NativePath::toText(name), std::move(name));
        std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
            const int c = a.first.compare(b.first, Qt::CaseInsensitive);
            if (c != 0)
                return c < 0;
            return a.first != b.first ? a.first < b.first : a.second < b.second;
        });
        for (std::size_t i = 0; i < names.size(); ++i)
            names[i] = std::move(keyed[i].second);
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

Names list(const std::filesystem::path& folder, Kind kind, const QString& pattern)
{
    Names names = readUnsorted(folder, kind, pattern);
    sortNames(names);
    return names;
}

}
