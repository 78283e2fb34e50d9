// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "outputfile.h"

#include "gsierror.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

bool namedOnly = false;

// A full quota is a full disk to the user.
int normalised(int systemError) { return systemError == EDQUOT ? ENOSPC : systemError; }

// The temporary name an interrupt must remove. A name is written to the buffer
// not in use and then published, so a signal never meets half a name; after the
// rename the name is gone from the disk anyway, so a late unlink finds nothing.
char unfinishedNames[2][PATH_MAX];
std::atomic<int> unfinished { -1 };

void markUnfinished(const fs::path& name)
{
    const int next = unfinished.load() == 0 ? 1 : 0;
    const std::size_t size = std::min<std::size_t>(name.native().size(), PATH_MAX - 1);
    std::memcpy(unfinishedNames[next], name.c_str(), size);
    unfinishedNames[next][size] = '\0';
    unfinished.store(next);
}

void markFinished() { unfinished.store(-1); }

extern "C" void onInterrupt(int signal)
{
    const int named = unfinished.load();
    if (named >= 0)
        ::unlink(unfinishedNames[named]);
    // Ended by the signal itself, so that a shell sees how the program ended.
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

// Read where the kernel shows it: setting the umask to learn it would give any
// file another thread creates meanwhile the wrong mode.
mode_t currentUmask()
{
    if (std::FILE* status = std::fopen("/proc/self/status", "re")) {
        char line[256];
        unsigned mask = 0;
        bool found = false;
        while (!found && std::fgets(line, sizeof line, status))
            found = std::sscanf(line, "Umask: %o", &mask) == 1;
        std::fclose(status);
        if (found)
            return mode_t(mask);
    }
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

// An anonymous file is given a name through /proc; without /proc it cannot be.
bool anonymousFilesUsable()
{
    static const bool usable = ::access("/proc/self/fd", X_OK) == 0;
    return !namedOnly && usable;
}

}

void OutputFile::useNamedTemporaryForTesting(bool named) { namedOnly = named; }

void OutputFile::checkName(const fs::path& target)
{
    const fs::path folder = folderOf(target);
    const std::size_t longest
        = std::max(target.native().size(), (folder / temporaryFileName()).native().size());
    if (longest >= PATH_MAX)
        throw GsiError::nameTooLong(target, true);
    // -1 with no limit, or for a folder that is not there: that is reported when
    // the file is read or written.
    const long nameMax = ::pathconf(folder.c_str(), _PC_NAME_MAX);
    if (nameMax > 0 && target.filename().native().size() > std::size_t(nameMax))
        throw GsiError::nameTooLong(target, false);
}

void OutputFile::removeUnfinishedOnInterrupt()
{
    for (const int signal : { SIGINT, SIGTERM, SIGHUP }) {
        struct sigaction current;
        // A signal the caller ignores (nohup) stays ignored.
        if (::sigaction(signal, nullptr, &current) != 0 || current.sa_handler != SIG_DFL)
            continue;
        struct sigaction action = {};
        action.sa_handler = onInterrupt;
        sigemptyset(&action.sa_mask);
        ::sigaction(signal, &action, nullptr);
    }
}

OutputFile::OutputFile(fs::path target, unsigned inputPermissions)
    : m_target(std::move(target))
{
    struct stat existing;
    m_replacing = ::stat(m_target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode);
    if (m_replacing) {
        // The mode bits, not access(): root passes every access check.
        if ((existing.st_mode & 0222) == 0)
            throw GsiError::readOnly(m_target);
        if (::access(m_target.c_str(), W_OK) != 0)
            throw errno == EROFS ? GsiError::forWrite(m_target, EROFS, 0)
                                 : GsiError::readOnly(m_target);
        m_mode = existing.st_mode & 0777;
    } else {
        m_mode = (inputPermissions & 0666) & ~currentUmask();
    }

    const fs::path folder = folderOf(m_target);
    if (anonymousFilesUsable()) {
        const int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
        if (fd >= 0) {
            m_handle = fd;
            return;
        }
        // Older kernels and some file systems have no anonymous files; any other
        // refusal would meet a named file too.
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
            fail(errno);
    }
    for (int attempt = 0;; ++attempt) {
        m_temporary = folder / temporaryFileName();
        markUnfinished(m_temporary);
        const int fd = ::open(
            m_temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0) {
            m_handle = fd;
            return;
        }
        const int error = errno;
        markFinished();
        m_temporary.clear();
        if (error != EEXIST || attempt == 100)
            fail(error);
    }
}

OutputFile::~OutputFile() { discard(); }

void OutputFile::discard()
{
    if (m_handle >= 0)
        ::close(int(m_handle));
    m_handle = -1;
    if (!m_temporary.empty())
        ::unlink(m_temporary.c_str());
    m_temporary.clear();
    markFinished();
}

void OutputFile::fail(int systemError)
{
    discard();
    throw GsiError::forWrite(m_target, normalised(systemError), m_size);
}

void OutputFile::write(std::string_view bytes)
{
    m_size += bytes.size();
    while (!bytes.empty()) {
        const ssize_t written = ::write(int(m_handle), bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            fail(written < 0 ? errno : ENOSPC);
        bytes.remove_prefix(std::size_t(written));
    }
}

void OutputFile::commit()
{
    const int fd = int(m_handle);
    // The output's own mode only now that the file is complete.
    if (::fchmod(fd, m_mode) != 0)
        fail(errno);
    // On the disk before it takes the output's place, or a crash could leave
    // an empty file under the output's name.
    if (::fsync(fd) != 0)
        fail(errno);

    bool inPlace = false;
    if (m_temporary.empty()) {
        // The anonymous file gets the output's name straight away where there
        // is none yet; else a random name, which then replaces the output.
        const std::string self = "/proc/self/fd/" + std::to_string(fd);
        if (!m_replacing) {
            inPlace
                = ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, m_target.c_str(), AT_SYMLINK_FOLLOW)
                == 0;
            if (!inPlace && errno != EEXIST)
                fail(errno);
        }
        for (int attempt = 0; !inPlace && m_temporary.empty(); ++attempt) {
            const fs::path name = folderOf(m_target) / temporaryFileName();
            markUnfinished(name);
            if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
                m_temporary = name;
            } else {
                const int error = errno;
                markFinished();
                if (error != EEXIST || attempt == 100)
                    fail(error);
            }
        }
    }
    m_handle = -1;
    if (::close(fd) != 0 && !inPlace)
        fail(errno);
    if (!inPlace) {
        if (::rename(m_temporary.c_str(), m_target.c_str()) != 0)
            fail(errno);
        m_temporary.clear();
        markFinished();
    }
    // The new name is made durable too; a file system that cannot sync a folder
    // has nothing to lose here, so its refusal is no failure.
    const int folder = ::open(folderOf(m_target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
}
