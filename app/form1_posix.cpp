// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "form1.h"

// The desktop's own viewer for the help document, whatever word processor the
// user has chosen for RTF; it is the association itself, so there is no second route.
QStringList Form1::helpPrograms() { return { QStringLiteral("xdg-open") }; }

// Found on PATH, as the desktop itself finds it.
bool Form1::isSystemProgram(const QString&) { return true; }

QString Form1::helpAssociationName() { return {}; }

bool Form1::openWithAssociatedProgram(const QString&) { return false; }
