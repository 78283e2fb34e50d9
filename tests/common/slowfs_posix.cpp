// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A read-only FUSE file system that shows a folder as it is, but answers every folder read and
// every file read only after a delay, as a network share far away does: a large folder on it
// takes long to list while every call still answers. It creates no file, and says so with
// ENOENT in a folder that is there, as fusefat does in a full FAT folder.
//
//   sigtelinje-slowfs DELAY_MS SOURCE MOUNTPOINT [fuse options...]

#define FUSE_USE_VERSION 31
#include <fuse.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

std::string source;
int delayMs = 0;

std::string real(const char* path) { return source + path; }

void wait() { std::this_thread::sleep_for(std::chrono::milliseconds(delayMs)); }

int getattrOf(const char* path, struct stat* info, fuse_file_info*)
{
    return lstat(real(path).c_str(), info) == 0 ? 0 : -errno;
}

// One call per batch the kernel asks for, each delayed: the entries come in steps.
int readdirOf(const char* path, void* buffer, fuse_fill_dir_t fill, off_t offset, fuse_file_info*,
    fuse_readdir_flags)
{
    wait();
    DIR* dir = opendir(real(path).c_str());
    if (!dir)
        return -errno;
    if (offset > 0)
        seekdir(dir, offset);
    while (const dirent* entry = readdir(dir)) {
        struct stat info { };
        info.st_ino = entry->d_ino;
        info.st_mode = mode_t(entry->d_type) << 12;
        if (fill(buffer, entry->d_name, &info, telldir(dir), fuse_fill_dir_flags(0)))
            break;
    }
    closedir(dir);
    return 0;
}

int openOf(const char* path, fuse_file_info* file)
{
    if ((file->flags & O_ACCMODE) != O_RDONLY)
        return -EROFS;
    const int fd = open(real(path).c_str(), file->flags);
    if (fd < 0)
        return -errno;
    file->fh = std::uint64_t(fd);
    return 0;
}

int createOf(const char*, mode_t, fuse_file_info*) { return -ENOENT; }

int readOf(const char*, char* buffer, size_t size, off_t offset, fuse_file_info* file)
{
    wait();
    const ssize_t got = pread(int(file->fh), buffer, size, offset);
    return got < 0 ? -errno : int(got);
}

int releaseOf(const char*, fuse_file_info* file)
{
    close(int(file->fh));
    return 0;
}

int statfsOf(const char*, struct statvfs* info)
{
    return statvfs(source.c_str(), info) == 0 ? 0 : -errno;
}

}

int main(int argc, char* argv[])
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s DELAY_MS SOURCE MOUNTPOINT [options]\n", argv[0]);
        return 2;
    }
    delayMs = std::atoi(argv[1]);
    source = argv[2];
    fuse_operations operations {};
    operations.getattr = getattrOf;
    operations.readdir = readdirOf;
    operations.open = openOf;
    operations.create = createOf;
    operations.read = readOf;
    operations.release = releaseOf;
    operations.statfs = statfsOf;
    // Program name, mount point, then foreground and the caller's options.
    std::vector<char*> arguments { argv[0], argv[3], const_cast<char*>("-f") };
    for (int i = 4; i < argc; ++i)
        arguments.push_back(argv[i]);
    return fuse_main(int(arguments.size()), arguments.data(), &operations, nullptr);
}
