// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "cliplatform.h"

namespace CliPlatform {

std::optional<QStringList> runOnConsole(const QString&, const QStringList&, const QString&)
{
    return std::nullopt;
}

void giveNoConsole(QProcess&) { }

std::optional<Identity> readIdentity(const QString&) { return std::nullopt; }

}
