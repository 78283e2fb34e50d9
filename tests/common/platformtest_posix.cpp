// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "platformtest.h"

#include <QFile>

#include <unistd.h>

namespace PlatformTest {

bool onWindows() { return false; }

bool isRoot() { return geteuid() == 0; }

bool markHiddenOrSystem(const QString&, bool) { return false; }

std::shared_ptr<void> denyReading(const QString& path)
{
    if (!QFile::setPermissions(path, QFileDevice::WriteOwner))
        return nullptr;
    // Something to point at, so that success reads as true.
    return std::shared_ptr<void>(new int(0), [path](void* token) {
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        delete static_cast<int*>(token);
    });
}

QString shortName(const QString&) { return {}; }

bool makeSymbolicLink(const QString& target, const QString& link)
{
    return QFile::link(target, link);
}

}
