// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "form1platform.h"

namespace Form1Platform {

// xdg-open hands the document to whatever the desktop has; the security test follows it with a
// stand-in viewer instead.
bool helpShowsAWindow() { return false; }

bool otherProgramShowsWindow(const QString&, int) { return false; }

QString freshSystemHelpViewer() { return QStringLiteral("xdg-open"); }

}
