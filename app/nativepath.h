#pragma once

#include <QString>

#include <filesystem>

// File names between the window and the file system. The window shows text;
// the file system names things by bytes on Linux and by UTF-16 on Windows. A
// Linux name that is not valid UTF-8 is shown as best it can be, and only its
// native form is ever handed back to the file system.
namespace NativePath {

QString toText(const std::filesystem::path& path);
std::filesystem::path fromText(const QString& text);

}
