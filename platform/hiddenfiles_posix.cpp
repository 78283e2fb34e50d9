// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "hiddenfiles.h"

namespace HiddenFiles {

bool isHidden(const std::filesystem::path& path)
{
    return path.filename().native().starts_with('.');
}

}
