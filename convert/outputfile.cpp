// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "outputfile.h"

#include <cstdio>
#include <random>

std::string temporaryFileName()
{
    // The system's own generator on Linux and on Windows.
    static std::random_device device;
    const unsigned long long bits = (static_cast<unsigned long long>(device()) << 32) | device();
    char name[40];
    std::snprintf(name, sizeof name, ".sigtelinje-%016llx.tmp", bits);
    return name;
}
