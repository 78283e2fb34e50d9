// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "folderlisting.h"

#include "nativepath.h"

#include <algorithm>

namespace FolderListing {

std::vector<Entry> list(
    const std::filesystem::path& folder, Kind kind, const QString& pattern, Failure* failure)
{
    std::vector<Entry> entries;
    Failure read = Failure::None;
    for (std::filesystem::path& name : readUnsorted(folder, kind, pattern, read))
        entries.push_back({ NativePath::toText(name), std::move(name) });
    // By the names the user sees; names shown alike keep a fixed order.
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        const int c = a.shown.compare(b.shown, Qt::CaseInsensitive);
        if (c != 0)
            return c < 0;
        return a.shown != b.shown ? a.shown < b.shown : a.name.native() < b.name.native();
    });
    if (failure)
        *failure = read;
    return entries;
}

}
