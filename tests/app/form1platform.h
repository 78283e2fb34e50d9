// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// What the main-window tests do differently by platform: form1platform_posix.cpp and
// form1platform_win.cpp, one of them built.
namespace Form1Platform {

// Whether the platform opens the help document in a window of its own that the test can see
// (Windows, where WordPad or the .rtf association opens it).
bool helpShowsAWindow();

// Waits up to `milliseconds` for a top-level window of another program whose title holds
// `text` (letter case ignored), and closes it; false when none appeared.
bool otherProgramShowsWindow(const QString& text, int milliseconds);

// The word processor that a fresh system starts for the help document when nothing stands at
// the literal path: xdg-open on Linux, Wine's own WordPad under Wine.
QString freshSystemHelpViewer();

}
