// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>

struct FileIdentity;

// The folder of one operation, opened once. The input is opened in it and the output written
// in it, each by its name relative to this handle, so that swapping the folder's path for
// another folder or a link after it was opened changes nothing: a name is never looked up
// twice. The platform's part lives in folder_posix.cpp and folder_win.cpp.
class HeldFolder {
public:
    // Opens the folder that holds `file`, refusing (error 75) a path through another user's
    // symbolic link to a folder that is not that user's. Every failure throws a GsiError that
    // names `file`, as reading it (`writing` false) or writing it would.
    HeldFolder(const std::filesystem::path& file, bool writing);
    // Takes over `handle`, an open folder whose path is `path`.
    HeldFolder(std::filesystem::path path, std::intptr_t handle, bool listable);
    ~HeldFolder();
    HeldFolder(HeldFolder&& other) noexcept;
    HeldFolder& operator=(HeldFolder&&) = delete;
    HeldFolder(const HeldFolder&) = delete;
    HeldFolder& operator=(const HeldFolder&) = delete;

    // The open folder; -1 where the platform holds none and names the folder by its path.
    std::intptr_t handle() const { return m_handle; }
    // Whether it may be listed (and so synced), not only passed through.
    bool listable() const { return m_listable; }
    const std::filesystem::path& path() const { return m_path; }
    // Which folder is held, so that two opens can be told to be the same folder; unknown where
    // the platform holds none.
    FileIdentity identity() const;

private:
    std::filesystem::path m_path;
    std::intptr_t m_handle = -1;
    bool m_listable = false;
};
