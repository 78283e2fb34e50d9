// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "roadmodel.h"

class QWidget;

// Printing where this build's Qt has it (printing_qt.cpp) and a printer exists; the Windows
// Qt is built without its print module, so there printing_none.cpp stands in.
namespace Printing {

bool available();
// Asks for a printer and prints the drawing on one page. False when cancelled.
bool print(QWidget* parent, const RoadModel::Preview& preview);

}
