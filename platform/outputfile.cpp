// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "outputfile.h"

#include <cstdio>
#include <random>

OutputFile::OutputFile(std::filesystem::path target, unsigned inputPermissions)
    : m_target(std::move(target))
{
    open({ inputPermissions & 0666 }, nullptr);
}

OutputFile::OutputFile(
    std::filesystem::path target, const FileOrigin& origin, const FileIdentity* mustReplace)
    : m_target(std::move(target))
{
    open(origin, mustReplace);
}

OutputFile::~OutputFile() { discard(); }

std::string temporaryFileName()
{
    // The system's own generator on Linux and on Windows.
    static std::random_device device;
    const unsigned long long bits = (static_cast<unsigned long long>(device()) << 32) | device();
    char name[40];
    std::snprintf(name, sizeof name, ".sigtelinje-%016llx.tmp", bits);
    return name;
}
