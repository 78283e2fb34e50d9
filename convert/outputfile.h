// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

// A converted file is written whole or not at all. The bytes go to a temporary
// file in the output's own folder, which is flushed to the disk and then put in
// the output's place in one step. Until commit() has succeeded the output is
// untouched, and the temporary file is removed again on every failure.
//
// The unfinished file is never open to others: on Linux it has no name at all
// until it is complete (O_TMPFILE), elsewhere it is readable by its owner only
// and opened without sharing, under a random name no one can guess or take
// first. Interrupting the program leaves no temporary file behind (see
// removeUnfinishedOnInterrupt).
//
// Its permissions: a replaced output keeps its own read, write and execute
// bits, never a set-user-ID, set-group-ID or sticky bit; a new output gets the
// read and write bits of its input, less the umask, as cp gives them.
//
// An existing output that the user has made read-only (its own mode bits, or
// the read-only attribute on Windows) is refused, whoever runs the program:
// surveyors protect finished files that way.
//
// Every failure throws a GsiError that names the output. The platform's part
// lives in outputfile_posix.cpp and outputfile_win.cpp.
class OutputFile {
public:
    // `inputPermissions`: the input's read and write bits, for a new output.
    explicit OutputFile(std::filesystem::path target, unsigned inputPermissions = 0666);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    void write(std::string_view bytes);
    void commit();

    // Refuses, with error 52, a name the file system cannot hold or a path the
    // system cannot take, for the output or for its temporary file.
    static void checkName(const std::filesystem::path& target);

    // Makes an interrupt (Ctrl+C; on Linux also SIGTERM and SIGHUP; on Windows
    // closing the console) remove an unfinished temporary file before the
    // program ends, or let the write in progress finish first.
    static void removeUnfinishedOnInterrupt();

    // Tests only: write through a named temporary file, as on a file system
    // that has no anonymous ones.
    static void useNamedTemporaryForTesting(bool named);

private:
    [[noreturn]] void fail(int systemError);
    void discard();

    std::filesystem::path m_target;
    std::filesystem::path m_temporary; // empty while the file has no name
    std::intptr_t m_handle = -1;
    std::uintmax_t m_size = 0;
    bool m_replacing = false;
    unsigned m_mode = 0; // what the output gets when it is put in place
    bool m_guarded = false; // an interrupt waits for this file (Windows)
};

// A name for a temporary file that no one can guess: a leading dot, so that no
// list shows it, and 64 random bits.
std::string temporaryFileName();
