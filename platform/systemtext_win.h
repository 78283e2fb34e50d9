// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace SystemText {

// Windows' own description of `error`, in the user's language, as UTF-8 without its line end
// and with the error's number; "Windows-fejl <number>" where Windows has none.
std::string windowsWords(unsigned long error);

}
