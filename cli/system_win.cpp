#include "system.h"

#include <string>
#include <windows.h>

#include <shellapi.h>

namespace fs = std::filesystem;

std::vector<fs::path> commandLineArguments(int, char*[])
{
    // The narrow argv is in the ANSI code page and loses names outside it.
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<fs::path> arguments;
    for (int i = 1; i < count; ++i)
        arguments.emplace_back(std::wstring(wide[i]));
    LocalFree(wide);
    return expandWildcards(arguments);
}

void writeText(std::FILE* to, std::string_view text)
{
    if (text.empty())
        return;
    const int wideLength
        = MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring wide(std::size_t(wideLength), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), wide.data(), wideLength);
    const int length
        = WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    std::string ansi(std::size_t(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, ansi.data(), length, nullptr, nullptr);
    std::fwrite(ansi.data(), 1, ansi.size(), to);
}

bool isHiddenFile(const fs::directory_entry& entry)
{
    const DWORD attributes = GetFileAttributesW(entry.path().c_str());
    return attributes != INVALID_FILE_ATTRIBUTES
        && (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
}

void ignoreBrokenPipe() { }
