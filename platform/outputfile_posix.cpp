// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "outputfile.h"

#include "folder.h"
#include "gsierror.h"
#include "identity_posix.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

bool namedOnly = false;

// A full quota is a full disk to the user.
int normalised(int systemError) { return systemError == EDQUOT ? ENOSPC : systemError; }

// The unfinished file an interrupt must remove: its folder, its own descriptor and its name
// in that folder. A slot is filled while the other one is published, so a signal never meets
// half a name; after the rename the name is gone from the disk anyway, so a late unlink finds
// nothing.
struct Unfinished {
    int folder;
    int file;
    char name[NAME_MAX + 1];
};
Unfinished unfinishedFiles[2];
std::atomic<int> unfinished { -1 };

void markUnfinished(int folder, int file, const fs::path& name)
{
    const int next = unfinished.load() == 0 ? 1 : 0;
    Unfinished& slot = unfinishedFiles[next];
    const std::size_t size = std::min<std::size_t>(name.native().size(), NAME_MAX);
    std::memcpy(slot.name, name.c_str(), size);
    slot.name[size] = '\0';
    slot.folder = folder;
    slot.file = file;
    unfinished.store(next);
}

void markFinished() { unfinished.store(-1); }

extern "C" void onInterrupt(int signal)
{
    const int named = unfinished.load();
    if (named >= 0) {
        // Closed first: a network share refuses to remove a file that is still open.
        const Unfinished& slot = unfinishedFiles[named];
        if (slot.file >= 0)
            ::close(slot.file);
        ::unlinkat(slot.folder, slot.name, 0);
    }
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

// A folder's default access list is copied onto every file made in it, and the final mode would
// then open the output to whoever that list names: the owner of the folder can name himself. The
// list goes at once, so that the mode alone decides who may read the output, as it did the input.
bool dropInheritedAccessList(int fd)
{
    const char* const list = "system.posix_acl_access";
    if (::fremovexattr(fd, list) == 0 || errno == ENODATA || errno == ENOTSUP || errno == ENOSYS)
        return true;
    // Refused, and still there: the mode alone no longer decides.
    const int error = errno;
    if (::fgetxattr(fd, list, nullptr, 0) <= 0)
        return true;
    errno = error;
    return false;
}

// Media that keep no modes refuse to set them, each in its own words.
bool modesUnsupported(int error)
{
    return error == EPERM || error == ENOSYS || error == EOPNOTSUPP;
}

}

OutputFile::OutputFile(const HeldFolder& folder, std::filesystem::path target,
    const FileOrigin& origin, const FileIdentity* mustReplace)
    : m_target(std::move(target))
{
    m_folder = ::fcntl(int(folder.handle()), F_DUPFD_CLOEXEC, 0);
    if (m_folder < 0)
        fail(errno);
    m_folderSyncable = folder.listable();
    open(origin, mustReplace);
}

void OutputFile::useNamedTemporaryForTesting(bool named) { namedOnly = named; }

void OutputFile::checkName(const fs::path& target)
{
    // The temporary file lies in the opened folder under a short name, so only the output's
    // own path and name count.
    if (target.native().size() >= PATH_MAX)
        throw GsiError::nameTooLong(target, true);
    // -1 with no limit, or for a folder that is not there: that is reported when
    // the file is read or written.
    const long nameMax = ::pathconf(folderOf(target).c_str(), _PC_NAME_MAX);
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

void OutputFile::open(const FileOrigin& origin, const FileIdentity* mustReplace)
{
    const auto refuse = [this](const GsiError& error) {
        discard();
        throw error;
    };
    const fs::path name = m_target.filename();
    if (name.empty() || name == "." || name == "..")
        refuse(GsiError::forWrite(m_target, EISDIR));
    if (mustReplace)
        m_mustReplace = *mustReplace;

    if (m_folder < 0) {
        HeldFolder folder(m_target, true);
        m_folderSyncable = folder.listable();
        m_folder = ::fcntl(int(folder.handle()), F_DUPFD_CLOEXEC, 0);
        if (m_folder < 0)
            fail(errno);
    }
    const int dir = int(m_folder);

    m_allowed = origin.permissions & 0666;
    m_originGroup = origin.group;
    const mode_t newMode = m_allowed & ~currentUmask();
    m_mode = newMode;
    struct stat existing;
    if (::fstatat(dir, name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0) {
        if (S_ISDIR(existing.st_mode))
            fail(EISDIR);
        m_replacing = S_ISREG(existing.st_mode);
    } else if (errno != ENOENT) {
        fail(errno);
    }
    try {
        checkStillReplaces();
    } catch (const GsiError&) {
        discard();
        throw;
    }
    struct statvfs fileSystem;
    if (::fstatvfs(dir, &fileSystem) == 0 && (fileSystem.f_flag & ST_RDONLY))
        fail(EROFS);
    if (m_replacing) {
        // The old file's bits are the user's choice only where the user made it: a file
        // another user left in a shared folder could lend the output any mode it likes, or
        // block it with none. The folder alone decides whether it may be replaced then.
        const bool ours = existing.st_uid == ::geteuid();
        const bool keptForItsOwner = ::geteuid() == 0 && existing.st_uid != 0
            && origin.owner == static_cast<long long>(existing.st_uid);
        // The mode bits, not access(): root passes every access check, and a file that is
        // only someone else's to write is no read-only file. Root is blocked only by its own
        // file or one of the input's owner.
        if ((existing.st_mode & 0222) == 0 && (::geteuid() != 0 || ours || keptForItsOwner))
            refuse(GsiError::readOnly(m_target));
        if (ours || keptForItsOwner)
            m_mode = (existing.st_mode & 0777) & (m_allowed | 0111);
        if (keptForItsOwner) {
            m_owner = existing.st_uid;
            m_group = origin.group == static_cast<long long>(existing.st_gid)
                ? static_cast<long long>(existing.st_gid)
                : -1;
        }
    }

    if (anonymousFilesUsable()) {
        const int fd = ::openat(dir, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
        if (fd >= 0) {
            m_handle = fd;
            if (!dropInheritedAccessList(fd))
                fail(errno);
            return;
        }
        // Older kernels and many file systems (every FUSE one) have no anonymous files; any
        // other refusal would meet a named file too.
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
            failCreating(errno);
    }
    // Its owner's alone until it is complete. A medium that refuses to change a mode keeps the
    // one a file is created with: there it is made again, with the mode it is to have in the end.
    createNamed(0600);
    if (::fchmod(int(m_handle), 0600) != 0 && modesUnsupported(errno)) {
        discard(false);
        createNamed(creationMode(dir));
    }
}

// The group a file created in `dir` gets decides whether its group bits may stay at creation.
unsigned OutputFile::creationMode(int dir) const
{
    struct stat folder;
    if (m_originGroup < 0 || ::fstat(dir, &folder) != 0)
        return m_mode & 0600;
    const gid_t group = (folder.st_mode & S_ISGID) ? folder.st_gid : ::getegid();
    // Another group's members get nothing; everyone else what the final mode gives them.
    return static_cast<long long>(group) == m_originGroup ? m_mode : m_mode & 0707;
}

void OutputFile::createNamed(unsigned mode)
{
    const int dir = int(m_folder);
    for (int attempt = 0;; ++attempt) {
        m_temporary = temporaryFileName();
        markUnfinished(dir, -1, m_temporary);
        const int fd = ::openat(
            dir, m_temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0) {
            m_handle = fd;
            markUnfinished(dir, fd, m_temporary);
            if (!dropInheritedAccessList(fd))
                fail(errno);
            return;
        }
        const int error = errno;
        markFinished();
        m_temporary.clear();
        if (error != EEXIST || attempt == 100)
            failCreating(error);
    }
}

// A create refused for a cause that says more about the medium than about the file.
void OutputFile::failCreating(int systemError)
{
    // A medium that cannot create files at all (an ISO image mounted for writing).
    if (systemError == ENOSYS)
        fail(EROFS);
    // The folder is held open, so it is there (unless it was removed meanwhile): the medium
    // refused for a reason of its own, such as a full folder on FAT.
    struct stat folder;
    if (systemError == ENOENT && ::fstat(int(m_folder), &folder) == 0 && folder.st_nlink > 0) {
        discard();
        throw GsiError(GsiError::DeviceIoError,
            "Filen " + shownPath(m_target) + " kunne ikke skrives: " + std::strerror(ENOENT));
    }
    fail(systemError);
}

void OutputFile::discard() { discard(true); }

void OutputFile::discard(bool closeFolder)
{
    // Closed before it is removed: a network share refuses to remove an open file.
    if (m_handle >= 0)
        ::close(int(m_handle));
    m_handle = -1;
    if (!m_temporary.empty())
        ::unlinkat(int(m_folder), m_temporary.c_str(), 0);
    m_temporary.clear();
    markFinished();
    if (closeFolder && m_folder >= 0)
        ::close(int(m_folder));
    if (closeFolder)
        m_folder = -1;
}

void OutputFile::fail(int systemError)
{
    discard();
    throw GsiError::forWrite(m_target, normalised(systemError));
}

void OutputFile::write(std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(int(m_handle), bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            fail(written < 0 ? errno : EIO);
        bytes.remove_prefix(std::size_t(written));
    }
}

// Where the name had to lead to the file that was read, it still must, right before the
// rename: the check at the start may be a while ago.
void OutputFile::checkStillReplaces() const
{
    if (!m_mustReplace.known)
        return;
    FileIdentity now;
    bool ordinary = false;
    if (!identityAt(
            int(m_folder), m_target.filename().c_str(), AT_SYMLINK_NOFOLLOW, now, &ordinary)) {
        // Removed meanwhile, or its folder swapped: a loaded text is never written afresh.
        if (errno == ENOENT)
            throw GsiError::replacedSinceOpened(m_target);
        throw GsiError::forWrite(m_target, errno);
    }
    if (!ordinary || now != m_mustReplace)
        throw GsiError::replacedSinceOpened(m_target);
}

void OutputFile::commit()
{
    const int fd = int(m_handle);
    const int dir = int(m_folder);
    const fs::path name = m_target.filename();
    // The owner first, while the file is still its creator's alone, then the mode: the file
    // is never more open than either would allow.
    if (m_owner >= 0
        && ::fchown(fd, uid_t(m_owner), m_group >= 0 ? gid_t(m_group) : gid_t(-1)) != 0)
        m_owner = -1; // a medium without owners: the caller's file hands out nothing
    // Group bits are for the input's group only: the group is made the input's where the caller
    // may, else the bits go (a setgid folder gives a new file its own group).
    struct stat made;
    if (m_originGroup >= 0 && ::fstat(fd, &made) == 0
        && static_cast<long long>(made.st_gid) != m_originGroup
        && ::fchown(fd, uid_t(-1), gid_t(m_originGroup)) != 0)
        m_mode &= ~mode_t(0070);
    // The output's own mode only now that the file is complete.
    if (::fchmod(fd, m_mode) != 0) {
        const int error = errno;
        struct stat shown;
        if (!modesUnsupported(error) || ::fstat(fd, &shown) != 0
            || (shown.st_mode & 0666 & ~m_allowed) != 0)
            fail(error);
    }
    // On the disk before it takes the output's place, or a crash could leave
    // an empty file under the output's name.
    if (::fsync(fd) != 0)
        fail(errno);
    identityAt(fd, "", AT_EMPTY_PATH, m_identity);

    try {
        checkStillReplaces();
    } catch (const GsiError&) {
        discard();
        throw;
    }
    bool inPlace = false;
    if (m_temporary.empty()) {
        // The anonymous file gets the output's name straight away where there
        // is none yet; else a random name, which then replaces the output.
        const std::string self = "/proc/self/fd/" + std::to_string(fd);
        if (!m_replacing) {
            inPlace = ::linkat(AT_FDCWD, self.c_str(), dir, name.c_str(), AT_SYMLINK_FOLLOW) == 0;
            if (!inPlace && errno != EEXIST)
                fail(errno);
        }
        for (int attempt = 0; !inPlace && m_temporary.empty(); ++attempt) {
            const fs::path temporary = temporaryFileName();
            markUnfinished(dir, fd, temporary);
            if (::linkat(AT_FDCWD, self.c_str(), dir, temporary.c_str(), AT_SYMLINK_FOLLOW) == 0) {
                m_temporary = temporary;
            } else {
                const int error = errno;
                markFinished();
                if (error != EEXIST || attempt == 100)
                    fail(error);
            }
        }
    }
    // Closed before the rename: a network share refuses to rename a file that is open.
    m_handle = -1;
    if (!m_temporary.empty())
        markUnfinished(dir, -1, m_temporary);
    if (::close(fd) != 0 && !inPlace)
        fail(errno);
    if (!inPlace) {
        if (::renameat(dir, m_temporary.c_str(), dir, name.c_str()) != 0)
            fail(errno);
        m_temporary.clear();
        markFinished();
    }
    // The new name is made durable too; a file system that cannot sync a folder
    // has nothing to lose here, so its refusal is no failure.
    if (m_folderSyncable)
        ::fsync(dir);
    discard();
}
