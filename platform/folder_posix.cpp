// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "folder.h"

#include "gsierror.h"
#include "inputfile.h"
#include "walk_posix.h"

#include <cerrno>
#include <climits>
#include <deque>
#include <fcntl.h>
#include <vector>

bool walkPath(int start, const std::filesystem::path& path, const LinkJudge& judge,
    WalkedPath& walked, bool& refused)
{
    const auto at
        = [start](const Descriptor& folder) { return folder.fd >= 0 ? folder.fd : start; };
    const auto fail = [](int error) {
        errno = error;
        return false;
    };
    const auto fromRoot = [&walked] {
        walked.found = Descriptor(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
        return walked.found.fd >= 0;
    };
    std::deque<std::string> steps;
    for (const std::filesystem::path& step : path.relative_path())
        steps.push_back(step.native());
    if (path.is_absolute() && !fromRoot())
        return false;
    // A link is judged once the steps it put in front of the rest are all taken: where it led
    // is then known, after any links of its own. The innermost link is judged first.
    struct Pending {
        uid_t owner;
        std::size_t doneAt; // the steps left once the link's own are taken
    };
    std::vector<Pending> pending;
    for (int links = 0;;) {
        for (; !pending.empty() && steps.size() <= pending.back().doneAt; pending.pop_back()) {
            struct stat reached;
            if (::fstatat(at(walked.found), "", &reached, AT_EMPTY_PATH) != 0)
                return false;
            refused = !judge(pending.back().owner, reached);
            if (refused)
                return fail(EPERM);
        }
        if (steps.empty())
            return true;
        const std::string step = steps.front();
        steps.pop_front();
        if (step.empty() || step == ".")
            continue;
        Descriptor next(::openat(at(walked.found), step.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
        struct stat status;
        if (next.fd < 0 || ::fstat(next.fd, &status) != 0)
            return false;
        if (!S_ISLNK(status.st_mode)) {
            walked.folder = std::move(walked.found);
            walked.found = std::move(next);
            walked.name = step;
            continue;
        }
        if (++links > 40)
            return fail(ELOOP);
        char target[PATH_MAX];
        const ssize_t size = ::readlinkat(next.fd, "", target, sizeof target);
        if (size < 0 || std::size_t(size) >= sizeof target)
            return fail(size < 0 ? errno : ENAMETOOLONG);
        pending.push_back({ status.st_uid, steps.size() });
        const std::filesystem::path to(std::string(target, std::size_t(size)));
        const std::filesystem::path within = to.relative_path();
        steps.insert(steps.begin(), within.begin(), within.end());
        if (to.is_absolute() && !fromRoot())
            return false;
    }
}

HeldFolder::HeldFolder(const std::filesystem::path& file, bool writing)
    : m_path(folderOf(file))
{
    // The folder is reached through no link that lends its owner more than he could do himself
    // (the kernel's protected_symlinks idea, as systemd's chase() with CHASE_SAFE): one of the
    // caller's or root's, or one that leads to a folder of its owner's. Another user may rename
    // his own folders at any moment; one of them, exchanged for a link to a folder of the
    // caller's, would have the caller convert or save over the caller's own files, with the
    // caller's rights and on no command of the caller's.
    const uid_t caller = ::geteuid();
    const auto lends = [caller](uid_t owner, const struct stat& reached) {
        return owner == caller || owner == 0 || owner == reached.st_uid;
    };
    WalkedPath walked;
    bool refused = false;
    if (!walkPath(AT_FDCWD, m_path, lends, walked, refused)) {
        if (refused)
            throw GsiError::foreignLink(file, writing);
        throw writing ? GsiError::forWrite(file, errno) : GsiError::forRead(file, errno);
    }
    // A folder that may be listed is opened so that it can be synced at the end; one that may
    // only be passed through is held all the same.
    if (walked.found.fd < 0) // the walk ended where it began: the current folder
        walked.found = Descriptor(::open(".", O_PATH | O_DIRECTORY | O_CLOEXEC));
    const int path = walked.found.fd;
    int fd = path < 0 ? -1 : ::openat(path, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    m_listable = fd >= 0;
    struct stat status;
    if (fd < 0 && path >= 0 && errno == EACCES && ::fstat(path, &status) == 0)
        fd = S_ISDIR(status.st_mode) ? walked.found.release() : (errno = ENOTDIR, -1);
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
