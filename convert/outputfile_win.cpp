#include "outputfile.h"

#include "gsierror.h"

#include <algorithm>
#include <cerrno>
#include <string>
#include <windows.h>

namespace fs = std::filesystem;

namespace {

// The errno that the error descriptions are chosen by.
int asErrno(DWORD error)
{
    switch (error) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_UNABLE_TO_REMOVE_REPLACED:
    case ERROR_UNABLE_TO_MOVE_REPLACEMENT:
    case ERROR_UNABLE_TO_MOVE_REPLACEMENT_2:
        return EACCES;
    case ERROR_WRITE_PROTECT:
        return EROFS;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return ENOENT;
    default:
        return EIO;
    }
}

fs::path folderOf(const fs::path& path)
{
    const fs::path parent = path.parent_path();
    return parent.empty() ? fs::path(".") : parent;
}

HANDLE handleOf(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

}

OutputFile::OutputFile(fs::path target)
    : m_target(std::move(target))
{
    const DWORD attributes = GetFileAttributesW(m_target.c_str());
    // A folder under the output's name is never replaced: MoveFileEx may move a
    // file onto an empty one.
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        throw GsiError::forWrite(m_target, EISDIR, 0);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        throw GsiError::readOnly(m_target);

    const std::wstring stem = L".sigtelinje-" + std::to_wstring(GetCurrentProcessId()) + L"-";
    for (int attempt = 0;; ++attempt) {
        m_temporary = folderOf(m_target) / (stem + std::to_wstring(attempt) + L".tmp");
        const HANDLE file = CreateFileW(m_temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
            FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            m_handle = reinterpret_cast<std::intptr_t>(file);
            break;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS || attempt == 100) {
            m_temporary.clear();
            fail(asErrno(error));
        }
    }
}

OutputFile::~OutputFile() { discard(); }

void OutputFile::discard()
{
    if (m_handle != -1)
        CloseHandle(handleOf(m_handle));
    m_handle = -1;
    if (!m_temporary.empty())
        DeleteFileW(m_temporary.c_str());
    m_temporary.clear();
}

void OutputFile::fail(int systemError)
{
    discard();
    throw GsiError::forWrite(m_target, systemError, m_size);
}

void OutputFile::write(std::string_view bytes)
{
    m_size += bytes.size();
    while (!bytes.empty()) {
        const DWORD chunk = DWORD(std::min<std::size_t>(bytes.size(), 1u << 30));
        DWORD written = 0;
        if (!WriteFile(handleOf(m_handle), bytes.data(), chunk, &written, nullptr))
            fail(asErrno(GetLastError()));
        if (written == 0)
            fail(ENOSPC);
        bytes.remove_prefix(written);
    }
}

void OutputFile::commit()
{
    if (!FlushFileBuffers(handleOf(m_handle)))
        fail(asErrno(GetLastError()));
    CloseHandle(handleOf(m_handle));
    m_handle = -1;

    // ReplaceFileW keeps the replaced file's attributes and permissions, as the
    // user set them; it needs an existing file, so a new output is moved instead.
    const DWORD attributes = GetFileAttributesW(m_target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        fail(EISDIR);
    // An output another program holds open without letting it be deleted cannot be
    // replaced; asked first, because Wine's ReplaceFileW leaves a stray copy behind
    // when it finds that out itself.
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        const HANDLE probe = CreateFileW(m_target.c_str(), DELETE,
            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
            FILE_ATTRIBUTE_NORMAL, nullptr);
        if (probe == INVALID_HANDLE_VALUE)
            fail(asErrno(GetLastError()));
        CloseHandle(probe);
    }
    const bool replaced = attributes != INVALID_FILE_ATTRIBUTES
        ? ReplaceFileW(m_target.c_str(), m_temporary.c_str(), nullptr,
            REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
        : MoveFileExW(m_temporary.c_str(), m_target.c_str(),
            MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!replaced)
        fail(asErrno(GetLastError()));
    m_temporary.clear();
}
