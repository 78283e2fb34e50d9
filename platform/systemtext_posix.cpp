// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "systemtext.h"

#include "gsierror.h"

#include <cstring>

namespace SystemText {

std::string cause(int systemError) { return std::strerror(systemError); }

int number(int) { return GsiError::DeviceIoError; }

const char* notAFileKinds() { return "en FIFO, en socket eller en enhed"; }

}
