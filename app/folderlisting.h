// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <atomic>
#include <filesystem>
#include <vector>

// Reads one folder for the lists: the names of its files that match a
// pattern, or of its subfolders, as the file system holds them. Letter case
// is ignored in patterns and in the order; hidden entries (and on Windows
// system entries) are left out.
namespace FolderListing {

enum class Kind { Files, Folders };

// Why a folder could not be read, in the program's terms; each platform maps its own errors.
enum class Failure { None, Gone, NoAccess, NotAnswering, NotReady, IoError };

using Names = std::vector<std::filesystem::path>;

// A name as the file system holds it, and as the window shows it.
struct Entry {
    QString shown;
    std::filesystem::path name;
};

// Sorted by shown name without regard to letter case. An empty pattern matches all.
// A folder that cannot be read gives no names, and says why in `failure` when asked.
// `progress`, when given, counts every entry read, so that a slow folder can be told from a
// medium that has stopped answering.
std::vector<Entry> list(const std::filesystem::path& folder, Kind kind,
    const QString& pattern = QString(), Failure* failure = nullptr,
    std::atomic<int>* progress = nullptr);

// The platform's own reading of the folder (folderlisting_posix.cpp or
// folderlisting_win.cpp), in no particular order.
Names readUnsorted(const std::filesystem::path& folder, Kind kind, const QString& pattern,
    Failure& failure, std::atomic<int>* progress);

}
