// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

// The words the error messages take from the platform: systemtext_posix.cpp and
// systemtext_win.cpp. A system error here is an errno value; on Windows it may also be a
// Windows error code with no errno of the same meaning, negated (see errno_win.h).
namespace SystemText {

// The cause of `systemError`, for a message that has no words of its own for it: the C
// library's text on Linux; on Windows Danish words where we have them, else the system's own
// text in the user's language. Never empty.
std::string cause(int systemError);

// The error number for a cause the messages have no number of their own for: 57 by default,
// 71 for a drive that is not ready, 68 for a device or network place that does not answer.
int number(int systemError);

// What an input that is not an ordinary file may be on this platform, in the message's words.
const char* notAFileKinds();

}
