// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "roadmodel.h"

#include <QString>

class QWidget;

// Printing the drawing on one page. On Linux through Qt's print module; the Windows Qt we ship
// is built without it, so there the system's own print dialog and printer calls do the work.
namespace Printing {

// Whether any printer is installed, so that the window offers Print at all.
bool available();
// Asks for a printer and prints the drawing on one page, scaled to fit. False when the user
// cancels. Throws GsiError 57, naming the printer and the system's cause, when printing fails.
// Where the user chose Qt's printing to a file (Linux), nothing is written here: the file's name
// is put in `toFile`, for the caller to write the drawing through the file layer, as an export.
bool print(QWidget* parent, const RoadModel::Preview& preview, const QString& documentName,
    QString* toFile = nullptr);

}
