// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "folder.h"
#include "inputfile.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

// A file written whole or not at all, by the converter and the editor alike. The bytes go to
// a temporary file in the output's own folder, which is flushed to the disk and then put in
// the output's place in one step. Until commit() has succeeded the output is untouched, and
// the temporary file is removed again on every failure.
//
// The folder is opened once, and every later step (the checks on an existing output, the
// temporary file, the link and the rename) is made relative to that open folder: the output
// lands in the folder that was opened, or the write fails, even when someone swaps the folder
// for another or for a link meanwhile. A link at the output's own name is never followed: it is
// replaced by the output, and its target is left alone.
//
// The unfinished file is never open to others: on Linux it has no name at all until it is
// complete (O_TMPFILE), elsewhere it is readable by its owner only and opened without sharing,
// under a random name no one can guess or take first. Interrupting the program leaves no
// temporary file behind (see removeUnfinishedOnInterrupt).
//
// Its permissions never let anyone read or write it who could not read or write the file it
// was made from (FileOrigin):
// - its read and write bits are at most the origin's;
// - a new output gets the origin's read and write bits less the umask, as cp gives them;
// - a replaced output that the caller owns keeps its own bits (never a set-user-ID,
//   set-group-ID or sticky bit) within that bound;
// - an output someone else made is not trusted: it is made as a new one, and belongs to the
//   caller, except that root keeps the old owner (and group) where that owner also owns the
//   origin, as `sed -i` does, so a user's file converted by root stays the user's;
// - its group bits are for the origin's group only: the output's group is made the origin's
//   where the caller may, and where it may not (a setgid folder, a group the caller is not in)
//   the group bits are cleared;
// - on media that keep no modes (FAT, exFAT, some network shares) the bits cannot be set; the
//   write goes on when the bits the medium shows give no one more than the origin's do. A
//   medium that refuses to change a mode but honours one at creation (sshfs, bindfs) gets the
//   temporary file created with the final mode.
//
// An existing output that the user has made read-only (no write bit, or the read-only
// attribute on Windows) is refused: surveyors protect finished files that way. Root is not
// blocked by a file another user left under the output's name (unless that user owns the input
// too): such a file is trusted neither for its bits nor for blocking. A file that is writable,
// only not by the caller, is no read-only file: the folder decides whether it may be replaced.
//
// Every failure throws a GsiError that names the output. The platform's part lives in
// outputfile_posix.cpp and outputfile_win.cpp.
class OutputFile {
public:
    // `inputPermissions`: the origin's read and write bits, for an origin with no owner.
    explicit OutputFile(std::filesystem::path target, unsigned inputPermissions = 0666);
    // `mustReplace`, where given, is the file the name led to when it was read: the write is
    // refused, and nothing written, when the name now leads to another file or to a link.
    OutputFile(std::filesystem::path target, const FileOrigin& origin,
        const FileIdentity* mustReplace = nullptr);
    // `target`'s name, written in `folder`, which must be the folder that holds it: the folder
    // an input was read from, or the one a save holds since its file was chosen.
    OutputFile(const HeldFolder& folder, std::filesystem::path target, const FileOrigin& origin,
        const FileIdentity* mustReplace = nullptr);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    void write(std::string_view bytes);
    void commit();

    // The file that commit() put in place.
    const FileIdentity& identity() const { return m_identity; }

    // Refuses, with error 52, a name the file system cannot hold or a path the
    // system cannot take.
    static void checkName(const std::filesystem::path& target);

    // Makes an interrupt (Ctrl+C; on Linux also SIGTERM and SIGHUP; on Windows
    // closing the console) remove an unfinished temporary file before the program
    // ends, or let the write in progress finish first.
    static void removeUnfinishedOnInterrupt();

    // Tests only: write through a named temporary file, as on a file system
    // that has no anonymous ones.
    static void useNamedTemporaryForTesting(bool named);

private:
    void open(const FileOrigin& origin, const FileIdentity* mustReplace);
    void checkStillReplaces() const;
    [[noreturn]] void fail(int systemError);
    [[noreturn]] void failCreating(int systemError);
    void createNamed(unsigned mode);
    unsigned creationMode(int folder) const;
    void discard();
    void discard(bool closeFolder);

    std::filesystem::path m_target;
    std::filesystem::path m_temporary; // in the folder; empty while the file has no name
    std::intptr_t m_folder = -1; // the open folder
    std::intptr_t m_handle = -1;
    bool m_replacing = false;
    bool m_folderSyncable = false;
    unsigned m_mode = 0; // what the output gets when it is put in place
    unsigned m_allowed = 0666; // the most its read and write bits may be
    long long m_originGroup = -1; // the only group its group bits may be for
    long long m_owner = -1; // the owner and group to keep; -1 for the caller's own
    long long m_group = -1;
    FileIdentity m_mustReplace;
    FileIdentity m_identity;
    bool m_guarded = false; // an interrupt waits for this file (Windows)
};

// A name for a temporary file that no one can guess: a leading dot, so that no
// list shows it, and 64 random bits.
std::string temporaryFileName();
