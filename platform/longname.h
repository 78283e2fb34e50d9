// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>

// The name an output is made from: `path` with its last part as the folder holds it. On Windows a
// file may also be reached by its 8.3 short name ("ALIGNM~1.GSI"), and an output named after
// that would be another file than the user expects beside "alignment17.gsi"; the long name
// replaces it, the folder part stays as given. Unchanged on Linux, and wherever the file cannot
// be found (its own error is reported when it is opened).
std::filesystem::path longName(const std::filesystem::path& path);
