#include "system.h"

#include <algorithm>
#include <csignal>

namespace fs = std::filesystem;

std::vector<fs::path> commandLineArguments(int argc, char* argv[])
{
    // The shell has expanded any wildcards already, and a name is any string of
    // bytes: it goes to the file system exactly as it came.
    return std::vector<fs::path>(argv + std::min(argc, 1), argv + argc);
}

void writeText(std::FILE* to, std::string_view text)
{
    std::fwrite(text.data(), 1, text.size(), to);
}

bool isHiddenFile(const fs::directory_entry& entry)
{
    return entry.path().filename().native().starts_with('.');
}

void ignoreBrokenPipe() { std::signal(SIGPIPE, SIG_IGN); }
