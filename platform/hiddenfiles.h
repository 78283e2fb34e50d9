// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>

// Which entries the file lists, the editor and the converter's wildcards leave out, in one
// place for the three: hiddenfiles_posix.cpp and hiddenfiles_win.cpp, one of them built.
namespace HiddenFiles {

// On Linux a name that starts with a dot; on Windows an entry with the hidden or the system
// attribute, as Windows leaves both out of its own lists. False for a path that cannot be read.
bool isHidden(const std::filesystem::path& path);

}
