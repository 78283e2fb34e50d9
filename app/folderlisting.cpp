// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "folderlisting.h"

#include "nativepath.h"

#include <QCollator>

#include <algorithm>

namespace FolderListing {

namespace {
    // The user's locale orders the names, as other programs on the machine order them. A C or POSIX
    // locale names no language (a server's, or a session that set none); the window speaks Danish,
    // so its lists then sort as Danish: ..., z, æ, ø, å.
    QCollator userCollator()
    {
        const QLocale user;
        QCollator collator(
            user.language() == QLocale::C ? QLocale(QLocale::Danish, QLocale::Denmark) : user);
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        return collator;
    }
}

std::vector<Entry> list(const std::filesystem::path& folder, Kind kind, const QString& pattern,
    Failure* failure, std::atomic<int>* progress)
{
    std::vector<Entry> entries;
    Failure read = Failure::None;
    for (std::filesystem::path& name : readUnsorted(folder, kind, pattern, read, progress))
        entries.push_back({ NativePath::toText(name), std::move(name) });
    // By the names the user sees, alphabetically; names shown alike keep a fixed order.
    const QCollator collator = userCollator();
    std::sort(entries.begin(), entries.end(), [&collator](const Entry& a, const Entry& b) {
        const int c = collator.compare(a.shown, b.shown);
        if (c != 0)
            return c < 0;
        return a.shown != b.shown ? a.shown < b.shown : a.name.native() < b.name.native();
    });
    if (failure)
        *failure = read;
    return entries;
}

}
