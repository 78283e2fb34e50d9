// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The hostile user of the race rows: exchanges a folder and a symbolic link to another folder,
// over and over, until it is terminated. Says "swapping" once the first exchange is done.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <stdio.h> // renameat2

namespace {
volatile std::sig_atomic_t stopped = 0;
}

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s FOLDER LINK\n", argv[0]);
        return 2;
    }
    std::signal(SIGTERM, [](int) { stopped = 1; });
    for (unsigned long swaps = 0; !stopped; ++swaps) {
        if (::renameat2(AT_FDCWD, argv[1], AT_FDCWD, argv[2], RENAME_EXCHANGE) != 0) {
            std::fprintf(stderr, "renameat2: %s\n", std::strerror(errno));
            return 1;
        }
        if (swaps == 0) {
            std::puts("swapping");
            std::fflush(stdout);
        }
    }
    return 0;
}
