// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "folder.h"

#include "gsierror.h"
#include "inputfile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

HeldFolder::HeldFolder(const std::filesystem::path& file, bool writing)
    : m_path(folderOf(file))
{
    // A folder that may be listed is opened so that it can be synced at the end; one that may
    // only be passed through is held all the same.
    int fd = ::open(m_path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    m_listable = fd >= 0;
    if (fd < 0 && errno == EACCES)
        fd = ::open(m_path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        throw writing ? GsiError::forWrite(file, errno) : GsiError::forRead(file, errno);
    m_handle = fd;
}

HeldFolder::HeldFolder(std::filesystem::path path, std::intptr_t handle, bool listable)
    : m_path(std::move(path))
    , m_handle(handle)
    , m_listable(listable)
{
}

HeldFolder::~HeldFolder()
{
    if (m_handle >= 0)
        ::close(int(m_handle));
}

HeldFolder::HeldFolder(HeldFolder&& other) noexcept
    : m_path(std::move(other.m_path))
    , m_handle(other.m_handle)
    , m_listable(other.m_listable)
{
    other.m_handle = -1;
}

FileIdentity HeldFolder::identity() const
{
    struct stat status;
    if (m_handle < 0 || ::fstat(int(m_handle), &status) != 0)
        return {};
    return { std::uint64_t(status.st_dev), std::uint64_t(status.st_ino), true };
}
