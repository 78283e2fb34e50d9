// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

// A descriptor closed when it goes out of scope: the destructor does not run for a
// constructor that throws.
struct Descriptor {
    int fd = -1;
    Descriptor() = default;
    explicit Descriptor(int opened)
        : fd(opened)
    {
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(Descriptor&& other) noexcept
    {
        std::swap(fd, other.fd);
        return *this;
    }
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
    int release() { return std::exchange(fd, -1); }
};

// Where a walk ended. Each descriptor is an O_PATH one, or -1 for the folder the walk started
// in.
struct WalkedPath {
    Descriptor folder; // the folder the last step was found in
    Descriptor found; // what the last step led to
    std::string name = "."; // the last step's name in `folder`
};

// Asked of each symbolic link once every step it led to, its own links' included, has been
// taken: the link's owner, and the status of what it finally led to. False refuses the link.
using LinkJudge = std::function<bool(uid_t owner, const struct stat& reached)>;

// Walks `path` from the folder `start` (or from the root for an absolute path) one step at a
// time with O_PATH, which opens nothing: no driver is woken and no FIFO waits. Symbolic links
// are followed by hand, at most 40 of them, so that each one's owner is known and `judge` can
// refuse it. False with errno set on failure, and with `refused` set where `judge` refused.
bool walkPath(int start, const std::filesystem::path& path, const LinkJudge& judge,
    WalkedPath& walked, bool& refused);
