#include "outputfile.h"

#include "gsierror.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// A full quota is a full disk to the user.
int normalised(int systemError) { return systemError == EDQUOT ? ENOSPC : systemError; }

fs::path folderOf(const fs::path& path)
{
    const fs::path parent = path.parent_path();
    return parent.empty() ? fs::path(".") : parent;
}

}

OutputFile::OutputFile(fs::path target)
    : m_target(std::move(target))
{
    struct stat existing;
    const bool exists = ::stat(m_target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode);
    // The mode bits, not access(): root passes every access check.
    if (exists && ((existing.st_mode & 0222) == 0 || ::access(m_target.c_str(), W_OK) != 0))
        throw GsiError::readOnly(m_target);

    // A hidden name of our own, short enough for any file system, that no list shows.
    const std::string stem = ".sigtelinje-" + std::to_string(::getpid()) + "-";
    for (int attempt = 0;; ++attempt) {
        m_temporary = folderOf(m_target) / (stem + std::to_string(attempt) + ".tmp");
        const int fd = ::open(m_temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            m_handle = fd;
            break;
        }
        if (errno != EEXIST || attempt == 100) {
            const int error = errno;
            m_temporary.clear();
            fail(error);
        }
    }
    // A replaced output keeps its mode; a new one gets the usual mode, less the umask.
    if (exists && ::fchmod(int(m_handle), existing.st_mode & 07777) != 0)
        fail(errno);
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
    // On the disk before it takes the output's place, or a crash could leave
    // an empty file under the output's name.
    if (::fsync(int(m_handle)) != 0)
        fail(errno);
    const int fd = int(m_handle);
    m_handle = -1;
    if (::close(fd) != 0)
        fail(errno);
    if (::rename(m_temporary.c_str(), m_target.c_str()) != 0)
        fail(errno);
    m_temporary.clear();
    // The rename itself is made durable too; a file system that cannot sync a
    // folder has nothing to lose here, so its refusal is no failure.
    const int folder = ::open(folderOf(m_target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
}
