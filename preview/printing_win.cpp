// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "printing.h"

#include "gsierror.h"
#include "roadpainter.h"
#include "systemtext_win.h"

#include <QImage>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include <windows.h>

#include <commdlg.h>

namespace Printing {

namespace {

    std::string narrow(const std::wstring& text)
    {
        return QString::fromStdWString(text).toStdString();
    }

    // What the print dialog hands back, released on every way out.
    struct Job {
        PRINTDLGW dialog {};
        ~Job()
        {
            if (dialog.hDC)
                DeleteDC(dialog.hDC);
            if (dialog.hDevMode)
                GlobalFree(dialog.hDevMode);
            if (dialog.hDevNames)
                GlobalFree(dialog.hDevNames);
        }
        std::string printerName() const
        {
            std::wstring name;
            if (const auto* names = static_cast<const DEVNAMES*>(GlobalLock(dialog.hDevNames))) {
                name = reinterpret_cast<const wchar_t*>(names) + names->wDeviceOffset;
                GlobalUnlock(dialog.hDevNames);
            }
            return narrow(name);
        }
    };

    // A page drawn at the printer's full resolution can pass 100 MB; the drawing is lines and
    // text, which stay sharp at this size, and the printer scales it to the page.
    constexpr int LongestSide = 3000;

}

bool available()
{
    DWORD needed = 0;
    DWORD count = 0;
    const DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
    EnumPrintersW(flags, nullptr, 4, nullptr, 0, &needed, &count);
    if (needed == 0)
        return false;
    std::vector<BYTE> buffer(needed);
    return EnumPrintersW(flags, nullptr, 4, buffer.data(), needed, &needed, &count) && count > 0;
}

bool print(
    QWidget* parent, const RoadModel::Preview& preview, const QString& documentName, QString*)
{
    Job job;
    job.dialog.lStructSize = sizeof job.dialog;
    job.dialog.hwndOwner = parent ? reinterpret_cast<HWND>(parent->window()->winId()) : nullptr;
    job.dialog.Flags = PD_RETURNDC | PD_NOPAGENUMS | PD_NOSELECTION | PD_USEDEVMODECOPIESANDCOLLATE;
    job.dialog.nCopies = 1;
    if (!PrintDlgW(&job.dialog)) {
        if (const DWORD code = CommDlgExtendedError())
            throw GsiError(GsiError::DeviceIoError,
                "Printeren kunne ikke vælges (fejlkode " + std::to_string(code) + ")");
        return false;
    }
    const HDC dc = job.dialog.hDC;
    const std::string printer = job.printerName();
    const auto fail = [&](DWORD code) {
        throw GsiError(GsiError::DeviceIoError,
            "Tegningen kunne ikke udskrives på " + printer + ": " + SystemText::windowsWords(code));
    };

    // The printable area in the printer's dots, drawn at most LongestSide pixels across.
    const int pageWidth = GetDeviceCaps(dc, HORZRES);
    const int pageHeight = GetDeviceCaps(dc, VERTRES);
    if (pageWidth <= 0 || pageHeight <= 0)
        fail(ERROR_INVALID_PARAMETER);
    const double scale = std::min(1.0, double(LongestSide) / std::max(pageWidth, pageHeight));
    const QSize size(std::max(1, int(std::lround(pageWidth * scale))),
        std::max(1, int(std::lround(pageHeight * scale))));
    const QImage image = RoadPainter::image(preview, size).convertToFormat(QImage::Format_RGB32);
    if (image.isNull())
        throw GsiError(GsiError::OutOfMemory, "Der er ikke hukommelse nok til udskriften");

    const std::wstring title = documentName.toStdWString();
    DOCINFOW document {};
    document.cbSize = sizeof document;
    document.lpszDocName = title.c_str();
    if (StartDocW(dc, &document) <= 0)
        fail(GetLastError());
    if (StartPage(dc) <= 0) {
        const DWORD code = GetLastError();
        AbortDoc(dc);
        fail(code);
    }
    // Format_RGB32 is a top-down 32-bit DIB as GDI has it, once the height is negative.
    BITMAPINFO bitmap {};
    bitmap.bmiHeader.biSize = sizeof bitmap.bmiHeader;
    bitmap.bmiHeader.biWidth = image.width();
    bitmap.bmiHeader.biHeight = -image.height();
    bitmap.bmiHeader.biPlanes = 1;
    bitmap.bmiHeader.biBitCount = 32;
    bitmap.bmiHeader.biCompression = BI_RGB;
    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    if (StretchDIBits(dc, 0, 0, pageWidth, pageHeight, 0, 0, image.width(), image.height(),
            image.constBits(), &bitmap, DIB_RGB_COLORS, SRCCOPY)
            == int(GDI_ERROR)
        || EndPage(dc) <= 0) {
        const DWORD code = GetLastError();
        AbortDoc(dc);
        fail(code);
    }
    if (EndDoc(dc) <= 0)
        fail(GetLastError());
    return true;
}

}
