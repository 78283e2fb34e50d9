// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "printing.h"

#include "gsierror.h"
#include "roadpainter.h"

#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

namespace Printing {

bool available() { return !QPrinterInfo::availablePrinterNames().isEmpty(); }

bool print(QWidget* parent, const RoadModel::Preview& preview, const QString& documentName,
    QString* toFile)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setDocName(documentName);
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("Udskriv"));
    dialog.setAccessibleName(QStringLiteral("Udskriv"));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    // Qt would write the file itself, by its path: through a link another user left at that
    // name, over the file it leads to, in place, with the umask's mode.
    if (!printer.outputFileName().isEmpty()) {
        if (!toFile)
            return false;
        *toFile = printer.outputFileName();
        return true;
    }
    // The painter's origin is the printable area's corner; the page is that area's size.
    const QRect printable = printer.pageLayout().paintRectPixels(printer.resolution());
    QPainter painter;
    bool printed = painter.begin(&printer);
    if (printed) {
        RoadPainter::paint(painter, QRectF(QPointF(0, 0), QSizeF(printable.size())), preview);
        printed = painter.end();
    }
    if (!printed || printer.printerState() == QPrinter::Error)
        throw GsiError(GsiError::DeviceIoError,
            "Tegningen kunne ikke udskrives på " + printer.printerName().toStdString());
    return true;
}

}
