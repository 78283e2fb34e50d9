// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "librarysearch.h"

#include <windows.h>

void LibrarySearch::limitToSystemAndProgram()
{
    // The program's folder, System32 and folders added with AddDllDirectory.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
    // Takes the current folder out of the older search order too, for any library loaded
    // with flags that bypass the default folders, and where the call above is missing.
    SetDllDirectoryW(L"");
}
