// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "fusemount.h"

struct FuseMount::State { };

QString FuseMount::unavailable(Kind) { return QStringLiteral("FUSE is not on Windows"); }

FuseMount::FuseMount(Kind, const QString&, const QStringList&, const QString&) { }

FuseMount::~FuseMount() = default;

bool FuseMount::isMounted() const { return false; }

QString FuseMount::error() const { return unavailable(Kind::ExFat); }

QString FuseMount::mountPoint() const { return {}; }

qint64 FuseMount::daemonPid() const { return 0; }

void FuseMount::stop() { }

void FuseMount::resume() { }
