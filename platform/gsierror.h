// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <exception>
#include <filesystem>
#include <string>

// A failure of a conversion or of a navigation step, carrying the classic error
// number that surveyors know from the old tools, and a Danish description that
// names the file concerned. Descriptions are UTF-8 text; a path in them is
// shown with the platform's own separators.
class GsiError : public std::exception {
public:
    enum Number {
        OutOfMemory = 7,
        SubscriptOutOfRange = 9,
        BadFileName = 52,
        FileNotFound = 53,
        DeviceIoError = 57,
        DiskFull = 61,
        DeviceUnavailable = 68,
        PermissionDenied = 70,
        DiskNotReady = 71,
        PathFileAccessError = 75,
        PathNotFound = 76,
    };

    GsiError(int number, std::string description);

    int number() const { return m_number; }
    const std::string& description() const { return m_description; }
    const char* what() const noexcept override { return m_what.c_str(); }

    // The error that opening or reading `path` met, from `systemError` (an errno value). Only
    // a missing entry is "not found"; which of file or folder is missing is looked up then. Any
    // other cause is reported as what it is.
    static GsiError forRead(const std::filesystem::path& path, int systemError);
    // The same for creating, writing or putting `path` in place: 61 only for a full disk (a
    // full quota is given as ENOSPC by the caller), "in use" for a file another program holds.
    static GsiError forWrite(const std::filesystem::path& path, int systemError);
    // An existing output that the user has made read-only.
    static GsiError readOnly(const std::filesystem::path& path);
    // An input that is a FIFO, a socket or a device rather than a file.
    static GsiError notAFile(const std::filesystem::path& path);
    // An input on a file system of the kernel's own (/proc, /sys), whose files only look like
    // files: some block forever when read.
    static GsiError systemFile(const std::filesystem::path& path);
    // The editor's file: the name leads to another file than the one that was opened.
    static GsiError replacedSinceOpened(const std::filesystem::path& path);
    // A file to be read or written in a folder reached through another user's symbolic link
    // to a folder that is not that user's.
    static GsiError foreignLink(const std::filesystem::path& path, bool writing);
    // A file name longer than the file system holds (`pathTooLong` false), or a
    // whole path longer than the system takes.
    static GsiError nameTooLong(const std::filesystem::path& path, bool pathTooLong);
    // A full path of `length` characters, where the system takes at most `limit`.
    static GsiError pathOverLimit(
        const std::filesystem::path& path, std::size_t length, std::size_t limit);

private:
    int m_number;
    std::string m_description;
    std::string m_what;
};

// `path` as a message shows it: the platform's separators, in UTF-8 where the
// platform's names are text; on Linux the name's own bytes.
std::string shownPath(const std::filesystem::path& path);

// The folder that holds `path`, as the system would look for it: "." for a bare name.
std::filesystem::path folderOf(const std::filesystem::path& path);
