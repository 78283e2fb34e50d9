// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "folder.h"

#include "gsierror.h"
#include "inputfile.h"

#include <cerrno>
#include <climits>
#include <deque>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Opens `folder` with O_PATH one step at a time, following a symbolic link only where the caller
// or root made it; -1 with errno set on failure, and with `foreign` set for another user's link.
// That user may rename his own folders at any moment: one of them, exchanged for a link between
// the choice of a name and the write, would put a file with the caller's rights and a name the
// caller typed in any folder the link names. systemd's chase() with CHASE_SAFE refuses the same.
int openWithoutForeignLinks(const std::filesystem::path& folder, bool& foreign)
{
    int at = ::open(folder.is_absolute() ? "/" : ".", O_PATH | O_DIRECTORY | O_CLOEXEC);
    std::deque<std::string> steps;
    for (const std::filesystem::path& step : folder.relative_path())
        steps.push_back(step.native());
    for (int links = 0; at >= 0 && !steps.empty();) {
        const std::string step = steps.front();
        steps.pop_front();
        if (step.empty() || step == ".")
            continue;
        const int next = ::openat(at, step.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
        struct stat status;
        int error = next < 0 || ::fstat(next, &status) != 0 ? errno : 0;
        if (error == 0 && !S_ISLNK(status.st_mode)) {
            ::close(at);
            at = next;
            continue;
        }
        foreign = error == 0 && status.st_uid != ::geteuid() && status.st_uid != 0;
        char target[PATH_MAX];
        ssize_t size = -1;
        if (error == 0 && !foreign && ++links > 40)
            error = ELOOP;
        if (error == 0 && !foreign) {
            size = ::readlinkat(next, "", target, sizeof target);
            error = size < 0 ? errno : std::size_t(size) >= sizeof target ? ENAMETOOLONG : 0;
        }
        if (next >= 0)
            ::close(next);
        if (error != 0 || foreign) {
            ::close(at);
            errno = error;
            return -1;
        }
        const std::filesystem::path to(std::string(target, std::size_t(size)));
        const std::filesystem::path within = to.relative_path();
        steps.insert(steps.begin(), within.begin(), within.end());
        if (to.is_absolute()) {
            ::close(at);
            at = ::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC);
        }
    }
    return at;
}

}

HeldFolder::HeldFolder(const std::filesystem::path& file, bool writing)
    : m_path(folderOf(file))
{
    // A folder that may be listed is opened so that it can be synced at the end; one that may
    // only be passed through is held all the same.
    int fd = -1;
    if (writing) {
        bool foreign = false;
        const int path = openWithoutForeignLinks(m_path, foreign);
        if (path < 0 && foreign)
            throw GsiError::foreignLink(file);
        if (path < 0)
            throw GsiError::forWrite(file, errno);
        fd = ::openat(path, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        struct stat status;
        if (fd < 0 && errno == EACCES && ::fstat(path, &status) == 0)
            fd = S_ISDIR(status.st_mode) ? ::fcntl(path, F_DUPFD_CLOEXEC, 0)
                                         : (errno = ENOTDIR, -1);
        else
            m_listable = fd >= 0;
        const int error = errno;
        ::close(path);
        errno = error;
    } else {
        fd = ::open(m_path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        m_listable = fd >= 0;
        if (fd < 0 && errno == EACCES)
            fd = ::open(m_path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    }
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
