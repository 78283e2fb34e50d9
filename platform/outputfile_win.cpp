// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "outputfile.h"

#include "errno_win.h"
#include "gsierror.h"
#include "identity_win.h"
#include "winpath_win.h"

#include <algorithm>
#include <cerrno>
#include <mutex>
#include <string>
#include <windows.h>

namespace fs = std::filesystem;

namespace {

HANDLE handleOf(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

// Held from the temporary file's creation until it is in place or removed. A
// console's Ctrl+C or close runs on a thread of its own while the conversion
// goes on; it takes this and keeps it, so the process ends between two files.
std::mutex& writing()
{
    static std::mutex lock;
    return lock;
}

BOOL WINAPI onConsoleEvent(DWORD)
{
    writing().lock();
    return FALSE; // on to the system's handler, which ends the process
}

// Every call below takes the \\?\ form of the full path: the temporary name beside an output of
// 259 characters goes past 260, and a name such as "prn.gsi" or "dir." is taken as it stands.
fs::path systemPath(const fs::path& path) { return WinPath::extended(WinPath::full(path)); }

// The attributes of what stands at `path` itself, a link (any reparse point) not followed, or
// INVALID_FILE_ATTRIBUTES with the cause in GetLastError() when nothing does.
DWORD attributesAt(const fs::path& path)
{
    const HANDLE file = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
        FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return INVALID_FILE_ATTRIBUTES;
    BY_HANDLE_FILE_INFORMATION information;
    const bool known = GetFileInformationByHandle(file, &information);
    const DWORD error = GetLastError();
    CloseHandle(file);
    SetLastError(error);
    return known ? information.dwFileAttributes : INVALID_FILE_ATTRIBUTES;
}

bool isLink(DWORD attributes)
{
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool isFolder(DWORD attributes)
{
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)
        && !isLink(attributes);
}

// What a replaced output hands on to the new one: the attributes users set to keep a file out
// of sight or out of the indexer. A link hands on nothing of what it leads to.
DWORD keptAttributes(DWORD old)
{
    if (old == INVALID_FILE_ATTRIBUTES || isLink(old))
        return 0;
    return old
        & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
}

// The most a path may hold in the \\?\ form, less the separator and the temporary name.
constexpr std::size_t VerbatimLimit = 32767;

// "nul.png" or "con.gsi" can be made through the \\?\ form, but other programs would open the
// device by that name, and Explorer could not remove the file again.
void refuseDeviceName(const fs::path& target)
{
    const std::wstring name = target.filename().native();
    if (WinPath::isDeviceName(name.substr(0, name.find(L'.'))))
        throw GsiError(GsiError::BadFileName,
            "Filnavnet " + shownPath(target)
                + " er et enhedsnavn i Windows (CON, PRN, AUX, NUL, COM1-9, LPT1-9) og kan ikke "
                  "bruges til en fil");
}

}

void OutputFile::useNamedTemporaryForTesting(bool) { }

void OutputFile::checkName(const fs::path& target)
{
    // The 260 characters apply to the path the user gave, made full as Windows makes it; one
    // given in the \\?\ form has opted out of that limit and meets only the system's own.
    const fs::path full = WinPath::full(target);
    if (!WinPath::isVerbatim(target) && full.native().size() >= MAX_PATH)
        throw GsiError::pathOverLimit(target, full.native().size(), MAX_PATH - 1);
    const std::size_t verbatim = WinPath::extended(full).native().size();
    if (verbatim + 1 + temporaryFileName().size() >= VerbatimLimit)
        throw GsiError::pathOverLimit(
            target, verbatim, VerbatimLimit - 2 - temporaryFileName().size());
    // Every file system Windows writes to holds names of 255 UTF-16 units.
    if (target.filename().native().size() > 255)
        throw GsiError::nameTooLong(target, false);
    refuseDeviceName(target);
}

void OutputFile::removeUnfinishedOnInterrupt() { SetConsoleCtrlHandler(onConsoleEvent, TRUE); }

void OutputFile::open(const FileOrigin&, const FileIdentity* mustReplace)
{
    if (mustReplace)
        m_mustReplace = *mustReplace;
    refuseDeviceName(m_target);
    const fs::path full = systemPath(m_target);
    const fs::path folder = WinPath::folderOf(full);
    // The folder is held open without letting anyone delete or rename it (FILE_SHARE_DELETE
    // withheld), so the path cannot be made to lead elsewhere until the file is in place.
    const HANDLE held = CreateFileW(folder.c_str(), FILE_LIST_DIRECTORY | SYNCHRONIZE,
        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
        nullptr);
    if (held == INVALID_HANDLE_VALUE)
        fail(errnoOf(GetLastError()));
    m_folder = reinterpret_cast<std::intptr_t>(held);

    const auto refuse = [this](const GsiError& error) {
        discard();
        throw error;
    };
    const DWORD attributes = attributesAt(full);
    // A folder under the output's name is never replaced: MoveFileEx may move a
    // file onto an empty one. A link at the name is replaced, whatever it leads to.
    if (isFolder(attributes))
        fail(EISDIR);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        refuse(GsiError::readOnly(m_target));
    if (m_mustReplace.known) {
        try {
            checkStillReplaces();
        } catch (const GsiError&) {
            discard();
            throw;
        }
    }
    m_replacing = attributes != INVALID_FILE_ATTRIBUTES;

    writing().lock();
    m_guarded = true;
    // Opened sharing nothing: no other program reads, writes, renames or
    // deletes the unfinished file.
    for (int attempt = 0;; ++attempt) {
        m_temporary = folder.native() + fs::path(temporaryFileName()).native();
        const HANDLE file = CreateFileW(m_temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
            FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            m_handle = reinterpret_cast<std::intptr_t>(file);
            break;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS || attempt == 100) {
            m_temporary.clear();
            fail(errnoOf(error));
        }
    }
}

// The name must still lead to the file that was read: the same file on the same volume, and
// no link put in its place.
void OutputFile::checkStillReplaces() const
{
    if (!m_mustReplace.known)
        return;
    FileIdentity now;
    bool ordinary = false;
    if (!identityAt(systemPath(m_target), now, ordinary)) {
        const DWORD error = GetLastError();
        // Removed meanwhile: a loaded text is never written afresh, as on Linux.
        if (error == ERROR_FILE_NOT_FOUND)
            throw GsiError::replacedSinceOpened(m_target);
        throw GsiError::forWrite(m_target, errnoOf(error));
    }
    if (!ordinary || now != m_mustReplace)
        throw GsiError::replacedSinceOpened(m_target);
}

void OutputFile::discard()
{
    if (m_handle != -1)
        CloseHandle(handleOf(m_handle));
    m_handle = -1;
    if (!m_temporary.empty())
        DeleteFileW(m_temporary.c_str());
    m_temporary.clear();
    if (m_guarded)
        writing().unlock();
    m_guarded = false;
    if (m_folder != -1)
        CloseHandle(handleOf(m_folder));
    m_folder = -1;
}

void OutputFile::fail(int systemError)
{
    discard();
    throw GsiError::forWrite(m_target, systemError);
}

void OutputFile::write(std::string_view bytes)
{
    while (!bytes.empty()) {
        const DWORD chunk = DWORD(std::min<std::size_t>(bytes.size(), 1u << 30));
        DWORD written = 0;
        if (!WriteFile(handleOf(m_handle), bytes.data(), chunk, &written, nullptr))
            fail(errnoOf(GetLastError()));
        if (written == 0)
            fail(EIO);
        bytes.remove_prefix(written);
    }
}

void OutputFile::commit()
{
    // The name is looked at itself, a link there not followed: a link is replaced by the
    // output like any file, and what it leads to is left alone.
    const fs::path target = systemPath(m_target);
    const DWORD attributes = attributesAt(target);
    if (isFolder(attributes))
        fail(EISDIR);
    try {
        checkStillReplaces();
    } catch (const GsiError&) {
        discard();
        throw;
    }
    // An output another program holds open without letting it be deleted cannot be replaced;
    // asked first, so that it is reported as in use rather than as no access.
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        const HANDLE probe = CreateFileW(target.c_str(), DELETE,
            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
            FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (probe == INVALID_HANDLE_VALUE)
            fail(errnoOf(GetLastError()));
        CloseHandle(probe);
    }
    // The new file takes the old one's hidden and similar attributes, as the user set them;
    // its access rights are the folder's, as for any new file, never the old file's.
    if (const DWORD kept = keptAttributes(attributes)) {
        FILE_BASIC_INFO basic {};
        basic.FileAttributes = kept;
        if (!SetFileInformationByHandle(handleOf(m_handle), FileBasicInfo, &basic, sizeof basic))
            fail(errnoOf(GetLastError()));
    }
    if (!FlushFileBuffers(handleOf(m_handle)))
        fail(errnoOf(GetLastError()));
    CloseHandle(handleOf(m_handle));
    m_handle = -1;

    // A rename replaces the directory entry: it never opens the file or link it replaces.
    // (ReplaceFileW did, and deleted a link's target.)
    if (!MoveFileExW(m_temporary.c_str(), target.c_str(),
            MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        fail(errnoOf(GetLastError()));
    m_temporary.clear();
    bool ordinary = false;
    if (!identityAt(target, m_identity, ordinary))
        m_identity = {};
    discard();
}
