// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "platformtest.h"

#include <QDir>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace PlatformTest {

bool onWindows() { return true; }

bool isRoot() { return false; }

bool markHiddenOrSystem(const QString& path, bool system)
{
    return SetFileAttributesW(QDir::toNativeSeparators(path).toStdWString().c_str(),
        system ? FILE_ATTRIBUTE_SYSTEM : FILE_ATTRIBUTE_HIDDEN);
}

std::shared_ptr<void> denyReading(const QString& path)
{
    const HANDLE held = CreateFileW(QDir::toNativeSeparators(path).toStdWString().c_str(),
        GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (held == INVALID_HANDLE_VALUE)
        return nullptr;
    return std::shared_ptr<void>(held, [](void* handle) { CloseHandle(handle); });
}

}
