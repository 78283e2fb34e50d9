// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "longname.h"

std::filesystem::path longName(const std::filesystem::path& path) { return path; }
