// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Called first in main(), before Qt loads a plugin or the program starts anything: DLLs are
// then looked for only in the system's folders and the program's own, never in the current
// folder, which may be a share anyone can put a DLL in, or on PATH. Qt loads its plugins by
// their full paths under the program's folder, so they still load. Nothing to do on Linux,
// where no library is looked for in the current folder. librarysearch_posix.cpp and
// librarysearch_win.cpp.
namespace LibrarySearch {
void limitToSystemAndProgram();
}
