// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "folder.h"

#include "gsierror.h"
#include "inputfile.h"
#include "outputfile.h"

// Windows opens a file relative to a folder handle only through the native API, and not at all
// on a network share (a rename's root folder must be empty there). The folder is named by its
// path, and each file is opened by its full path, as before; the output file holds its folder
// open without sharing its deletion from the moment it is created.

HeldFolder::HeldFolder(const std::filesystem::path& file, bool)
    : m_path(folderOf(file))
{
}

HeldFolder::HeldFolder(std::filesystem::path path, std::intptr_t, bool)
    : m_path(std::move(path))
{
}

HeldFolder::~HeldFolder() = default;

FileIdentity HeldFolder::identity() const { return {}; }

HeldFolder::HeldFolder(HeldFolder&& other) noexcept
    : m_path(std::move(other.m_path))
{
}

InputFile::InputFile(const HeldFolder&, std::filesystem::path path, std::uintmax_t limit)
    : InputFile(std::move(path), limit)
{
}

HeldFolder InputFile::openedFolder() const { return HeldFolder(openedPath(), false); }

OutputFile::OutputFile(const HeldFolder&, std::filesystem::path target, const FileOrigin& origin,
    const FileIdentity* mustReplace)
    : OutputFile(std::move(target), origin, mustReplace)
{
}
