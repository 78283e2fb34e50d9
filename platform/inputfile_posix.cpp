// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "inputfile.h"

#include "folder.h"
#include "gsierror.h"
#include "identity_posix.h"
#include "walk_posix.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <utility>

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

// The bits a copy of the file may have so that no one reads or writes it who could not read or
// write the file itself, which may carry an access list: its group bits are then the list's mask,
// and a named user or group may be given less than the group's or the others' bits say. A user
// named in the list, or in one of its groups, may belong to the owner's group or to the others,
// so each such entry narrows both. 0666 for a file without a list; 0600 for one not understood.
unsigned accessListBound(int fd)
{
    unsigned char list[4 + 8 * 64];
    const ssize_t size = ::fgetxattr(fd, "system.posix_acl_access", list, sizeof list);
    if (size < 0)
        return errno == ENODATA || errno == ENOTSUP || errno == ENOSYS ? 0666 : 0600;
    const auto number = [&list](std::size_t at, int bytes) {
        unsigned value = 0;
        for (int i = bytes - 1; i >= 0; --i)
            value = value << 8 | list[at + std::size_t(i)];
        return value;
    };
    if (size < 4 || (size - 4) % 8 != 0 || number(0, 4) != 2)
        return 0600;
    unsigned group = 0, mask = 7, other = 0, named = 7;
    for (std::size_t at = 4; at < std::size_t(size); at += 8) {
        const unsigned tag = number(at, 2), rights = number(at + 2, 2) & 7;
        if (tag == 0x04) // the owner's group
            group = rights;
        else if (tag == 0x10)
            mask = rights;
        else if (tag == 0x20)
            other = rights;
        else if (tag == 0x02 || tag == 0x08) // a named user or group
            named &= rights;
    }
    named &= mask;
    return 0600 | (group & mask & named) << 3 | (other & named);
}

bool sameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}

InputFile::InputFile(std::filesystem::path path, std::uintmax_t limit)
    : InputFile(HeldFolder(path, false), path, limit)
{
}

InputFile::InputFile(const HeldFolder& folder, std::filesystem::path path, std::uintmax_t limit)
    : m_path(std::move(path))
    , m_limit(limit)
{
    const auto fail = [this](int error) { throw GsiError::forRead(m_path, error); };
    std::string name = m_path.filename().native();
    if (name.empty() || name == "." || name == "..")
        fail(EISDIR);
    const int held = int(folder.handle());

    // The name is pinned with O_PATH, and so is each step of any link it is, so that nothing is
    // opened before the file is known to be an ordinary one. A link lends nothing (the kernel's
    // protected_symlinks rule, in every folder): one that neither the caller nor the file's owner
    // made, or a link into another folder, leaves the file's bits to the folder it lies in.
    bool lends = true;
    const uid_t caller = ::geteuid();
    const auto judge = [&lends, caller](uid_t owner, const struct stat& reached) {
        lends = lends && (owner == caller || owner == reached.st_uid);
        return true;
    };
    WalkedPath walked;
    bool refused = false;
    if (!walkPath(held, name, judge, walked, refused))
        fail(errno);
    Descriptor& at = walked.folder; // -1 for the held folder
    const Descriptor& file = walked.found;
    if (file.fd < 0) // a link back to the held folder itself
        fail(EISDIR);
    name = walked.name;
    struct stat status;
    if (::fstat(file.fd, &status) != 0)
        fail(errno);
    if (S_ISDIR(status.st_mode))
        fail(EISDIR);
    if (!S_ISREG(status.st_mode))
        throw GsiError::notAFile(m_path);
    struct statfs fileSystem;
    if (::fstatfs(file.fd, &fileSystem) != 0)
        fail(errno);
    if (isKernelFileSystem(long(fileSystem.f_type)))
        throw GsiError::systemFile(m_path);
    if (std::uintmax_t(status.st_size) > m_limit)
        throw tooLargeError();
    struct stat heldStatus;
    struct stat realFolder;
    if (at.fd >= 0
        && (::fstat(held, &heldStatus) != 0 || ::fstat(at.fd, &realFolder) != 0
            || !sameFile(heldStatus, realFolder)))
        lends = false;

    // Now the file itself, and only an ordinary one. O_NONBLOCK stays on: anything that would
    // make a read wait gives EAGAIN instead, which is refused as no file.
    const int flags = O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY;
    const std::string self = "/proc/self/fd/" + std::to_string(file.fd);
    Descriptor opened(::open(self.c_str(), flags));
    if (opened.fd < 0 && errno == ENOENT) {
        // No /proc: the name once more, and only if it still leads to the file just checked.
        opened = Descriptor(::openat(at.fd >= 0 ? at.fd : held, name.c_str(), flags | O_NOFOLLOW));
        struct stat now;
        if (opened.fd >= 0 && (::fstat(opened.fd, &now) != 0 || !sameFile(now, status)))
            fail(ENOENT);
    }
    if (opened.fd < 0)
        fail(errno);
    m_origin = { unsigned(status.st_mode) & (lends ? accessListBound(opened.fd) : 0600),
        status.st_uid, status.st_gid };
    identityAt(opened.fd, "", AT_EMPTY_PATH, m_identity);
    m_folderListable = at.fd < 0 && folder.listable();
    m_folder = at.fd >= 0 ? at.release() : ::fcntl(held, F_DUPFD_CLOEXEC, 0);
    if (m_folder < 0)
        fail(errno);
    m_handle = opened.release();
}

HeldFolder InputFile::openedFolder() const
{
    const int copy = ::fcntl(int(m_folder), F_DUPFD_CLOEXEC, 0);
    if (copy < 0)
        throw GsiError::forRead(m_path, errno);
    return HeldFolder(folderOf(openedPath()), copy, m_folderListable);
}

InputFile::~InputFile()
{
    if (m_handle >= 0)
        ::close(int(m_handle));
    if (m_folder >= 0)
        ::close(int(m_folder));
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
