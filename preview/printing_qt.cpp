// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "printing.h"

#include "roadpainter.h"

#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

namespace Printing {

bool available() { return !QPrinterInfo::availablePrinterNames().isEmpty(); }

bool print(QWidget* parent, const RoadModel::Preview& preview)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("Udskriv"));
    dialog.setAccessibleName(QStringLiteral("Udskriv"));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    QPainter painter(&printer);
    RoadPainter::paint(painter,
        QRectF(
            printer.pageLayout()
                .paintRectPixels(printer.resolution())
                .translated(-printer.pageLayout().paintRectPixels(printer.resolution()).topLeft())),
        preview);
    return true;
}

}
