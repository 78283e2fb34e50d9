// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "system.h"

#include "hiddenfiles.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <unistd.h>

namespace fs = std::filesystem;

std::vector<fs::path> commandLineArguments(int argc, char* argv[])
{
    // The shell has expanded any wildcards already, and a name is any string of
    // bytes: it goes to the file system exactly as it came.
    return std::vector<fs::path>(argv + std::min(argc, 1), argv + argc);
}

bool writeText(std::FILE* to, std::string_view text)
{
    if (std::fwrite(text.data(), 1, text.size(), to) == text.size())
        return true;
    // A full quota is a full disk to the user.
    if (errno == EDQUOT)
        errno = ENOSPC;
    return false;
}

bool isTerminal(std::FILE* stream) { return ::isatty(::fileno(stream)) == 1; }

namespace {
fs::path::string_type lowerCase(const fs::path::string_type& name)
{
    fs::path::string_type lower = name;
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return lower;
}
}

int compareNames(const fs::path::string_type& a, const fs::path::string_type& b)
{
    return lowerCase(a).compare(lowerCase(b));
}

bool isHiddenFile(const fs::directory_entry& entry) { return HiddenFiles::isHidden(entry.path()); }

void ignoreBrokenPipe() { std::signal(SIGPIPE, SIG_IGN); }
