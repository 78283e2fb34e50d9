// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Called first in main(). A program started with standard input, output or error closed would
// hand those numbers to the first files it opens, and a later message for the closed stream
// (the program's own, or one Qt prints from another thread) would then be written into a
// user's file. Each closed one is opened on /dev/null for reading only, as glibc does for
// programs that change user: nothing of ours ever takes those numbers, and a write to a
// closed output still fails with EBADF as before. Nothing to do on Windows, where a handle
// never takes the place of a closed standard stream. standardstreams_posix.cpp and
// standardstreams_win.cpp.
namespace StandardStreams {
void keepOpen();
}
