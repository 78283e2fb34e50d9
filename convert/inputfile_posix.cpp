// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "inputfile.h"

#include "gsierror.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

InputFile::InputFile(std::filesystem::path path, std::uintmax_t limit)
    : m_path(std::move(path))
    , m_limit(limit)
{
    // Without O_NONBLOCK, opening a FIFO that no one writes to would wait forever.
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
    if (std::uintmax_t(status.st_size) > m_limit)
        fail(tooLargeError());
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0)
        fail(GsiError::forRead(m_path, errno));
    m_handle = fd;
    m_permissions = unsigned(status.st_mode) & 0666;
}

InputFile::~InputFile()
{
    if (m_handle >= 0)
        ::close(int(m_handle));
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
