// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <memory>

// What the tests do differently by platform, so that the tests themselves hold no platform
// #ifdefs: platformtest_posix.cpp and platformtest_win.cpp, one of them built.
namespace PlatformTest {

bool onWindows();

// Root reads and writes anywhere; Windows has no such user for the tests.
bool isRoot();

// Windows only (false elsewhere): gives the file the hidden or, with `system`, the system
// attribute, which the lists and the editor take for "no such file".
bool markHiddenOrSystem(const QString& path, bool system);

// Keeps this process from reading `path` for as long as the returned object lives: on Linux the
// file keeps only its owner's write permission; on Windows another program
// (sigtelinje-test-holdopen) holds it open and shares nothing. Null when that could not be done.
std::shared_ptr<void> denyReading(const QString& path);

// Windows only (empty elsewhere): the 8.3 short name the system gives the file, without its
// folder.
QString shortName(const QString& path);

// A symbolic link at `link` to `target`, a path relative to the link's folder, as
// the system's own file calls see it: on Windows a real link where the system lets this user
// make one; under Wine, whose CreateSymbolicLinkW makes nothing, the Unix link that Wine's
// drives hold. False when neither can be made.
bool makeSymbolicLink(const QString& target, const QString& link);

}
