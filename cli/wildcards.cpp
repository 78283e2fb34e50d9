// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "namepattern.h"
#include "system.h"

#include <algorithm>

namespace fs = std::filesystem;

namespace {

using Text = fs::path::string_type;
using View = std::basic_string_view<fs::path::value_type>;

bool isOption(const Text& argument) { return !argument.empty() && argument[0] == '-'; }

// Files of `folder` whose names match `pattern`, hidden ones left out.
std::vector<Text> matchingFiles(const fs::path& folder, View pattern)
{
    std::vector<Text> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder.empty() ? fs::path(".") : folder, ec), end;
         !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        const Text name = it->path().filename().native();
        if (it->is_regular_file(typeError) && !isHiddenFile(*it)
            && matchesPattern(pattern, View(name)))
            names.push_back(name);
    }
    // As the main window sorts its lists: alphabetically without regard to letter case first.
    std::sort(names.begin(), names.end(), [](const Text& a, const Text& b) {
        const int c = compareNames(a, b);
        return c != 0 ? c < 0 : a < b;
    });
    return names;
}

}

std::vector<fs::path> expandWildcards(const std::vector<fs::path>& arguments)
{
    std::vector<fs::path> expanded;
    bool optionsEnded = false;
    for (const fs::path& argument : arguments) {
        const Text& text = argument.native();
        if (text == fs::path("--").native())
            optionsEnded = true;
        const Text name = argument.filename().native();
        const bool wild = name.find_first_of(fs::path("*?").native()) != Text::npos;
        if (!wild || (!optionsEnded && isOption(text))) {
            expanded.push_back(argument);
            continue;
        }
        // Only the file name may hold wildcards; the folder part is taken as written.
        const Text folder = text.substr(0, text.size() - name.size());
        const std::vector<Text> matches = matchingFiles(fs::path(folder), View(name));
        if (matches.empty())
            expanded.push_back(argument);
        for (const Text& match : matches)
            expanded.push_back(fs::path(folder + match));
    }
    return expanded;
}
