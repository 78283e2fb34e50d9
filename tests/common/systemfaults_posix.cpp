// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "systemfaults.h"

#include "outputfile.h"

#include <QtEndian>

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace SystemFaults {

int modeOf(const QByteArray& path)
{
    struct stat status;
    return ::stat(path.constData(), &status) == 0 ? int(status.st_mode & 07777) : -1;
}

bool setMode(const QByteArray& path, int mode) { return ::chmod(path.constData(), mode) == 0; }

int setUmask(int mask) { return int(::umask(mode_t(mask))); }

bool makeFifo(const QByteArray& path) { return ::mkfifo(path.constData(), 0644) == 0; }

bool openFifoForWriting(const QByteArray& path)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat status;
    const bool fifo = ::fstat(fd, &status) == 0 && S_ISFIFO(status.st_mode);
    ::close(fd);
    return fifo;
}

bool makeSocket(const QByteArray& path)
{
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    if (std::size_t(path.size()) >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.constData(), std::size_t(path.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const bool bound
        = fd >= 0 && ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    if (fd >= 0)
        ::close(fd);
    return bound;
}

QString interruptWhileWriting(const QByteArray& target, const QByteArray& signal)
{
    const int number = signal == "INT" ? SIGINT : signal == "TERM" ? SIGTERM : SIGHUP;
    const pid_t child = ::fork();
    if (child < 0)
        return QStringLiteral("fork failed");
    if (child == 0) {
        // Only what a converter does: no Qt in the child, and none of the test
        // framework's own signal handlers.
        ::signal(number, SIG_DFL);
        OutputFile::useNamedTemporaryForTesting(true);
        OutputFile::removeUnfinishedOnInterrupt();
        try {
            OutputFile file(target.constData());
            file.write("*11....+0000000000001250 \r\n");
            ::raise(number);
        } catch (...) {
        }
        ::_exit(3);
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child)
        return QStringLiteral("waitpid failed");
    if (!WIFSIGNALED(status))
        return QStringLiteral("the child ended with status %1").arg(WEXITSTATUS(status));
    if (WTERMSIG(status) != number)
        return QStringLiteral("the child ended by signal %1").arg(WTERMSIG(status));
    return {};
}

bool setOwner(const QByteArray& path, const QByteArray& user)
{
    const passwd* account = ::getpwnam(user.constData());
    return account && ::lchown(path.constData(), account->pw_uid, account->pw_gid) == 0;
}

QString ownerOf(const QByteArray& path)
{
    struct stat status;
    if (::lstat(path.constData(), &status) != 0)
        return {};
    const passwd* user = ::getpwuid(status.st_uid);
    const group* team = ::getgrgid(status.st_gid);
    return QStringLiteral("%1:%2").arg(
        user ? QString::fromLocal8Bit(user->pw_name) : QString::number(status.st_uid),
        team ? QString::fromLocal8Bit(team->gr_name) : QString::number(status.st_gid));
}

bool grantInAccessList(const QByteArray& path, const QByteArray& user, int rights, bool inherited)
{
    const passwd* account = ::getpwnam(user.constData());
    struct stat status;
    if (!account || ::stat(path.constData(), &status) != 0)
        return false;
    // The kernel's layout, so that no tool is needed: a version, then tag, rights and id of each
    // entry in the order of their tags. The mask keeps the group bits the file has.
    const unsigned mode = status.st_mode;
    const unsigned group = (mode >> 3) & 7;
    const quint32 none = 0xffffffff;
    const quint32 entries[][3] = { { 0x01, (mode >> 6) & 7, none },
        { 0x02, unsigned(rights), account->pw_uid }, { 0x04, group, none },
        { 0x10, inherited ? 7 : group | unsigned(rights), none }, { 0x20, mode & 7, none } };
    QByteArray list(4, '\0');
    qToLittleEndian<quint32>(2, list.data());
    for (const auto& entry : entries) {
        char bytes[8];
        qToLittleEndian<quint16>(quint16(entry[0]), bytes);
        qToLittleEndian<quint16>(quint16(entry[1]), bytes + 2);
        qToLittleEndian<quint32>(entry[2], bytes + 4);
        list.append(bytes, 8);
    }
    const char* name = inherited ? "system.posix_acl_default" : "system.posix_acl_access";
    return ::setxattr(path.constData(), name, list.constData(), std::size_t(list.size()), 0) == 0;
}

int runAsNobody(const std::function<int()>& work)
{
    const passwd* nobody = ::getpwnam("nobody");
    if (!nobody || ::geteuid() != 0)
        return -1;
    const uid_t uid = nobody->pw_uid;
    const gid_t gid = nobody->pw_gid;
    const pid_t child = ::fork();
    if (child < 0)
        return -1;
    if (child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0)
            ::_exit(125);
        ::_exit(work());
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) == 125)
        return -1;
    return WEXITSTATUS(status);
}

}
