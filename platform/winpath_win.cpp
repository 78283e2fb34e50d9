// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "winpath_win.h"

#include <cwctype>
#include <string>
#include <windows.h>

namespace fs = std::filesystem;

namespace WinPath {

bool isVerbatim(const fs::path& path)
{
    const std::wstring& text = path.native();
    return text.starts_with(L"\\\\?\\") || text.starts_with(L"\\\\.\\")
        || text.starts_with(L"\\??\\");
}

bool isDeviceName(std::wstring text)
{
    if (text.ends_with(L':'))
        text.pop_back();
    for (wchar_t& c : text)
        c = wchar_t(std::towupper(c));
    if (text == L"CON" || text == L"PRN" || text == L"AUX" || text == L"NUL")
        return true;
    return text.size() == 4 && (text.starts_with(L"COM") || text.starts_with(L"LPT"))
        && text[3] >= L'1' && text[3] <= L'9';
}

namespace {

    bool isSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

    std::wstring systemFull(const std::wstring& path)
    {
        std::wstring buffer(MAX_PATH, L'\0');
        for (;;) {
            const DWORD size
                = GetFullPathNameW(path.c_str(), DWORD(buffer.size()), buffer.data(), nullptr);
            if (size == 0)
                return std::wstring();
            if (size < buffer.size()) {
                buffer.resize(size);
                return buffer;
            }
            buffer.resize(size);
        }
    }

    // How many characters of a full path are its root: "C:\\" or "\\\\server\\share\\".
    std::size_t rootLength(const std::wstring& text)
    {
        if (text.size() >= 3 && text[1] == L':' && isSeparator(text[2]))
            return 3;
        if (text.size() >= 2 && isSeparator(text[0]) && isSeparator(text[1])) {
            std::size_t at = 2;
            for (int part = 0; part < 2 && at < text.size(); ++part) {
                while (at < text.size() && !isSeparator(text[at]))
                    ++at;
                if (at < text.size())
                    ++at;
            }
            return at;
        }
        return 0;
    }

    // "." and ".." resolved and separators made backslashes, every name kept exactly as it is
    // written, trailing dots and spaces included: GetFullPathNameW would cut "dir." to "dir",
    // which is another folder.
    std::wstring resolved(const std::wstring& text)
    {
        const std::size_t root = rootLength(text);
        std::wstring out = text.substr(0, root);
        for (wchar_t& c : out)
            if (c == L'/')
                c = L'\\';
        if (!out.empty() && !isSeparator(out.back()))
            out += L'\\';
        const std::size_t base = out.size();
        std::size_t at = root;
        while (at < text.size()) {
            std::size_t end = at;
            while (end < text.size() && !isSeparator(text[end]))
                ++end;
            const std::wstring name = text.substr(at, end - at);
            if (name == L"..") {
                if (out.size() > base) {
                    out.pop_back();
                    out.erase(out.find_last_of(L'\\') + 1);
                }
            } else if (!name.empty() && name != L".") {
                out += name;
                if (end < text.size())
                    out += L'\\';
            }
            at = end + 1;
        }
        return out;
    }

}

fs::path full(const fs::path& path)
{
    if (path.empty() || isVerbatim(path))
        return path;
    const std::wstring& text = path.native();
    if (isDeviceName(text)) {
        const std::wstring device = systemFull(text);
        return device.empty() ? path : fs::path(device);
    }
    if (rootLength(text) > 0)
        return fs::path(resolved(text));
    // Relative to the current folder, the current drive's root ("\\road") or the drive's own
    // current folder ("C:road"): the system names that place, and the rest is added here.
    std::size_t rest = 0;
    std::wstring anchor = L".";
    if (!text.empty() && isSeparator(text[0])) {
        anchor = L"\\";
        rest = 1;
    } else if (text.size() >= 2 && text[1] == L':') {
        anchor = text.substr(0, 2);
        rest = 2;
    }
    std::wstring place = systemFull(anchor);
    if (place.empty())
        return path; // the call that uses it names the cause
    if (!isSeparator(place.back()))
        place += L'\\';
    return fs::path(resolved(place + text.substr(rest)));
}

fs::path extended(const fs::path& full)
{
    const std::wstring& text = full.native();
    if (isVerbatim(full))
        return full;
    if (text.starts_with(L"\\\\"))
        return fs::path(L"\\\\?\\UNC\\" + text.substr(2));
    if (text.size() >= 3 && text[1] == L':' && text[2] == L'\\')
        return fs::path(L"\\\\?\\" + text);
    return full;
}

fs::path plain(const fs::path& path)
{
    const std::wstring& text = path.native();
    std::wstring shorter;
    if (text.starts_with(L"\\\\?\\UNC\\"))
        shorter = L"\\\\" + text.substr(8);
    else if (text.starts_with(L"\\\\?\\") && text.size() >= 7 && text[5] == L':')
        shorter = text.substr(4);
    else
        return path;
    return shorter.size() < MAX_PATH ? fs::path(shorter) : path;
}

fs::path folderOf(const fs::path& full)
{
    const std::wstring& text = full.native();
    const std::size_t last = text.find_last_of(L"\\/");
    if (last == std::wstring::npos)
        return fs::path(L".\\");
    return fs::path(text.substr(0, last + 1));
}

}
