// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "background.h"

namespace Background {

std::chrono::milliseconds answerTime() { return std::chrono::seconds(4); }

}
