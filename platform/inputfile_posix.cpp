// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "inputfile.h"

#include "gsierror.h"
#include "identity_posix.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace {

// The kernel's own file systems: their files report themselves as ordinary, but /proc/kmsg
// waits for the next kernel message, /sys files are made up as they are read, and so on.
bool isKernelFileSystem(long type)
{
    switch (static_cast<unsigned long>(type)) {
    case 0x9fa0: // proc
    case 0x62656572: // sysfs
    case 0x64626720: // debugfs
    case 0x74726163: // tracefs
    case 0x73636673: // securityfs
    case 0x27e0eb: // cgroup
    case 0x63677270: // cgroup2
    case 0x62656570: // configfs
    case 0xde5e81e4: // efivarfs
    case 0x6165676c: // pstore
    case 0xcafe4a11: // bpf
        return true;
    default:
        return false;
    }
}

}

InputFile::InputFile(std::filesystem::path path, std::uintmax_t limit)
    : m_path(std::move(path))
    , m_limit(limit)
{
    // O_NONBLOCK stays on: an ordinary file ignores it, and anything that would make a read
    // wait gives EAGAIN instead, which is refused as no file. Without it, opening a FIFO that
    // no one writes to would already wait forever.
    const int fd = ::open(m_path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    // A socket cannot be opened at all, but it is there: it is no file to convert.
    if (fd < 0 && errno == ENXIO)
        throw GsiError::notAFile(m_path);
    if (fd < 0)
        throw GsiError::forRead(m_path, errno);
    // The destructor does not run for a constructor that throws.
    const auto fail = [fd](const GsiError& error) {
        ::close(fd);
        throw error;
    };
    struct stat status;
    if (::fstat(fd, &status) != 0)
        fail(GsiError::forRead(m_path, errno));
    if (S_ISDIR(status.st_mode))
        fail(GsiError::forRead(m_path, EISDIR));
    if (!S_ISREG(status.st_mode))
        fail(GsiError::notAFile(m_path));
    struct statfs fileSystem;
    if (::fstatfs(fd, &fileSystem) != 0)
        fail(GsiError::forRead(m_path, errno));
    if (isKernelFileSystem(long(fileSystem.f_type)))
        fail(GsiError::systemFile(m_path));
    if (std::uintmax_t(status.st_size) > m_limit)
        fail(tooLargeError());
    m_handle = fd;
    m_origin = { unsigned(status.st_mode) & 0666, status.st_uid, status.st_gid };
    identityAt(fd, "", AT_EMPTY_PATH, m_identity);
}

InputFile::~InputFile()
{
    if (m_handle >= 0)
        ::close(int(m_handle));
}

std::filesystem::path InputFile::openedPath() const
{
    // The open file itself says where it is, whatever has been renamed or relinked since.
    const std::string self = "/proc/self/fd/" + std::to_string(m_handle);
    char target[PATH_MAX];
    const ssize_t size = ::readlink(self.c_str(), target, sizeof target);
    const std::string opened(target, size > 0 ? std::size_t(size) : 0);
    if (size <= 0 || std::size_t(size) >= sizeof target || opened[0] != '/'
        || opened.ends_with(" (deleted)"))
        return std::filesystem::absolute(m_path);
    return std::filesystem::path(opened);
}

std::streamsize InputFile::readSome(char* to, std::size_t count)
{
    for (;;) {
        const ssize_t got = ::read(int(m_handle), to, count);
        if (got >= 0)
            return got;
        if (errno != EINTR) {
            m_error = errno;
            return -1;
        }
    }
}
