#pragma once

#include <QString>

#include <filesystem>
#include <vector>

// Reads one folder for the lists: the names of its files that match a
// pattern, or of its subfolders. Letter case is ignored in patterns and in the
// order; hidden entries (and on Windows system entries) are left out. Large
// survey folders are common, so on Unix the folder is read directly, with no
// file information fetched for names that do not match.
namespace FolderListing {

enum class Kind { Files, Folders };

// The names as the file system holds them, sorted by their shown text without
// regard to letter case. An empty pattern matches all.
std::vector<std::filesystem::path> list(
    const std::filesystem::path& folder, Kind kind, const QString& pattern = QString());

}
