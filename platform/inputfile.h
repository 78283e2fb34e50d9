// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "folder.h"

#include <cstdint>
#include <filesystem>
#include <streambuf>
#include <string>

class GsiError;

// The largest file any program here reads. A real survey file of 1000 lines holds about
// 150 KB; anything past this is not one, and is refused before it can fill the memory.
inline constexpr std::uintmax_t MaxFileBytes = 64 * 1024 * 1024;

// What a file written from an input may take over from it, so that the copy hands out nothing
// the input did not: its read and write bits and its owner, as the opened file really is (a
// symbolic link's target, never the link).
struct FileOrigin {
    unsigned permissions = 0666; // read and write bits; 0666 where the platform has none
    long long owner = -1; // user and group; -1 where the platform has none
    long long group = -1;
};

// Which file a name led to when it was opened: device and file number, and the file's birth
// time where the file system keeps one, since a removed file's number may be given to the next.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t file = 0;
    bool known = false;
    std::int64_t born = 0;
    std::uint32_t bornNanoseconds = 0;
    bool operator==(const FileIdentity&) const = default;
};

// An input file opened for one conversion. Only an ordinary file is taken: a
// FIFO, a socket or a device (also behind a symbolic link, and CON or NUL on
// Windows) is refused as soon as it is opened, before a byte is read, so that
// nothing can block or feed the converter without end. The check is made on
// the opened file itself, never on the name before opening it.
//
// Files of the kernel's own file systems (/proc, /sys) look ordinary but are not: some block
// forever, others never end. They are refused too, and no read ever waits for a writer.
//
// The file is read as a stream buffer, and never more than `limit` bytes of
// it: a file that is larger, or grows past the limit while it is read, is
// refused with error 7, naming the file and the limit.
//
// The name is looked up once. A symbolic link lends nothing (the kernel's protected_symlinks rule,
// applied to every folder): a file reached through a link that neither the caller nor the
// file's owner made, or through a link to another folder, gives an origin for its owner only.
//
// Every failure throws a GsiError that names the file. The platform's part
// lives in inputfile_posix.cpp and inputfile_win.cpp.
class InputFile : public std::streambuf {
public:
    InputFile(std::filesystem::path path, std::uintmax_t limit);
    // `path`'s name, opened in `folder`, which must be the folder that holds it.
    InputFile(const HeldFolder& folder, std::filesystem::path path, std::uintmax_t limit);
    ~InputFile() override;
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // What a copy of this file may take over, and which file was opened.
    const FileOrigin& origin() const { return m_origin; }
    // What the file hands out where it lies, whatever link led to it: the bound for writing it
    // back in its own place, whose readers stay its own. origin() is less for a file reached
    // through a link that lends nothing.
    const FileOrigin& ownOrigin() const { return m_ownOrigin; }
    const FileIdentity& identity() const { return m_identity; }
    // The path of the file that was opened, as the system names it after following every
    // link; the given path where the system cannot tell.
    std::filesystem::path openedPath() const;
    // The folder the file was found in, as it was then: where a save writes it back.
    HeldFolder openedFolder() const;

    // The whole file, read in large pieces, within the limit. Throws the error that stopped the
    // reading, as checkComplete() does. The one way a program here reads a whole file.
    std::string readAll();

    // What looked like the end of the file to the reader may have been a read
    // error or the limit: throws the error that stopped the reading, if any.
    void checkComplete() const;

protected:
    std::streamsize xsgetn(char* to, std::streamsize count) override;
    int_type underflow() override;

private:
    // Reads at most `count` bytes: 0 at the end, and -1 on a read error, with
    // the system's error in m_error.
    std::streamsize readSome(char* to, std::size_t count);
    GsiError tooLargeError() const;

    std::filesystem::path m_path;
    std::uintmax_t m_limit;
    std::uintmax_t m_read = 0;
    bool m_overLimit = false;
    int m_error = 0; // an errno value
    std::intptr_t m_handle = -1;
    std::intptr_t m_folder = -1; // the folder the file was found in, where the platform holds it
    bool m_folderListable = false;
    FileOrigin m_origin;
    FileOrigin m_ownOrigin;
    FileIdentity m_identity;
    char m_byte = 0; // the buffer behind underflow(); bulk reads bypass it
};
