// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "standardstreams.h"

void StandardStreams::keepOpen() { }
