#include "folderlisting.h"

#include "nativepath.h"

#include <algorithm>

namespace FolderListing {

namespace {

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

Names list(const std::filesystem::path& folder, Kind kind, const QString& pattern)
{
    Names names = readUnsorted(folder, kind, pattern);
    sortNames(names);
    return names;
}

}
