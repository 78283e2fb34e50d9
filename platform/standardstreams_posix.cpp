// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "standardstreams.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

void StandardStreams::keepOpen()
{
    // One poll() asks after all three; a closed one comes back as POLLNVAL.
    pollfd streams[3] = { { 0, 0, 0 }, { 1, 0, 0 }, { 2, 0, 0 } };
    if (::poll(streams, 3, 0) < 0)
        return;
    for (const pollfd& stream : streams) {
        if (!(stream.revents & POLLNVAL))
            continue;
        // open() takes the lowest free number, which is this one; should it not be, the
        // stream stays closed rather than be given another file's number.
        const int fd = ::open("/dev/null", O_RDONLY);
        if (fd >= 0 && fd != stream.fd)
            ::close(fd);
    }
}
