// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "folderlisting.h"

#include "hiddenattributes_win.h"
#include "namepattern.h"

namespace FolderListing {

namespace {

    Failure failureOf(DWORD error)
    {
        switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_DIRECTORY:
        case ERROR_INVALID_NAME:
            return Failure::Gone;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
            return Failure::NoAccess;
        case ERROR_NOT_READY:
            return Failure::NotReady;
        case ERROR_BAD_NETPATH:
        case ERROR_NETNAME_DELETED:
        case ERROR_BAD_NET_NAME:
        case ERROR_DEV_NOT_EXIST:
        case ERROR_UNEXP_NET_ERR:
        case ERROR_NETWORK_UNREACHABLE:
        case ERROR_SEM_TIMEOUT:
        case ERROR_INVALID_DRIVE:
            return Failure::NotAnswering;
        default:
            return Failure::IoError;
        }
    }

}

Names readUnsorted(const std::filesystem::path& folder, Kind kind, const QString& pattern,
    Failure& failure, std::atomic<int>* progress)
{
    failure = Failure::None;
    // The pattern is matched here, not by FindFirstFileExW, which would also match the short
    // 8.3 names ("al*.gsi" would find "al1.gsix" by its short name AL1~1.GSI). Letter case is
    // ignored, as Windows ignores it; the batch converter matches alike. No regular expression:
    // this runs on a thread of its own, and Qt's per-thread matching state kept the program
    // from ending under Windows.
    const std::wstring wanted = pattern.isEmpty() ? std::wstring(L"*") : pattern.toStdWString();

    // Windows keeps hidden and system entries out of its own lists. One scan reads every
    // entry's attributes with its name: no call per file, which on a network drive would be one
    // round trip each.
    Names names;
    WIN32_FIND_DATAW entry;
    const std::wstring search = (folder / L"*").native();
    HANDLE scan = FindFirstFileExW(search.c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch,
        nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (scan == INVALID_HANDLE_VALUE) {
        // The root of an empty drive has no "." entry, so finding nothing there is no failure.
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_NO_MORE_FILES)
            failure = failureOf(error);
        return names;
    }
    do {
        if (progress)
            progress->fetch_add(1, std::memory_order_relaxed);
        const std::wstring name = entry.cFileName;
        const bool isFolder = entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
        if (name == L"." || name == L".."
            || HiddenFiles::hasHiddenAttributes(entry.dwFileAttributes)
            || isFolder != (kind == Kind::Folders))
            continue;
        if (!matchesPattern(std::wstring_view(wanted), std::wstring_view(name)))
            continue;
        names.emplace_back(name);
    } while (FindNextFileW(scan, &entry));
    if (const DWORD error = GetLastError(); error != ERROR_NO_MORE_FILES) {
        failure = failureOf(error);
        names.clear();
    }
    FindClose(scan);
    return names;
}

}
