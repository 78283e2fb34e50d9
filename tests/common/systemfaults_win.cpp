// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "systemfaults.h"

// Windows files have attributes and ACLs, not mode bits, and no FIFOs or signals.
namespace SystemFaults {

int modeOf(const QByteArray&) { return -1; }
bool setMode(const QByteArray&, int) { return false; }
int setUmask(int) { return -1; }
bool makeFifo(const QByteArray&) { return false; }
bool makeSocket(const QByteArray&) { return false; }
bool openFifoForWriting(const QByteArray&) { return false; }

QString interruptWhileWriting(const QByteArray&, const QByteArray&)
{
    return QStringLiteral("Windows has no such signals");
}

bool setOwner(const QByteArray&, const QByteArray&) { return false; }
QString ownerOf(const QByteArray&) { return {}; }
bool grantInAccessList(const QByteArray&, const QByteArray&, int, bool) { return false; }
int runAsNobody(const std::function<int()>&) { return -1; }

}
