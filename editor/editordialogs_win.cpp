// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "editordialogs.h"

#include <QWidget>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <commdlg.h>

#include <algorithm>
#include <cmath>

std::optional<QFont> platformFontDialog(QWidget* parent, const QFont& initial)
{
    // Windows' own font dialog rather than Qt's: it is what the platform offers, and Qt's dialog
    // of this Qt version crashes under Wine.
    HWND owner = parent ? reinterpret_cast<HWND>(parent->window()->winId()) : nullptr;

    LOGFONTW font {};
    const std::wstring family = initial.family().toStdWString();
    std::copy_n(
        family.c_str(), std::min<std::size_t>(family.size(), LF_FACESIZE - 1), font.lfFaceName);
    HDC screen = GetDC(nullptr);
    font.lfHeight
        = -LONG(std::lround(initial.pointSizeF() * GetDeviceCaps(screen, LOGPIXELSY) / 72.0));
    ReleaseDC(nullptr, screen);
    font.lfWeight = LONG(initial.weight());
    font.lfItalic = initial.italic();
    font.lfUnderline = initial.underline();
    font.lfStrikeOut = initial.strikeOut();
    font.lfCharSet = DEFAULT_CHARSET;

    CHOOSEFONTW dialog {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpLogFont = &font;
    // Screen and printer fonts with the effects (strikeout, underline, colour), opened on the
    // text's own font.
    dialog.Flags = CF_SCREENFONTS | CF_PRINTERFONTS | CF_EFFECTS | CF_INITTOLOGFONTSTRUCT;
    // Zero with no extended error is the user's cancel; anything else fails quietly too.
    if (!ChooseFontW(&dialog))
        return std::nullopt;

    QFont chosen(QString::fromWCharArray(font.lfFaceName));
    chosen.setPointSizeF(dialog.iPointSize / 10.0);
    chosen.setWeight(QFont::Weight(std::clamp<int>(font.lfWeight ? font.lfWeight : 400, 1, 1000)));
    chosen.setItalic(font.lfItalic);
    chosen.setUnderline(font.lfUnderline);
    chosen.setStrikeOut(font.lfStrikeOut);
    return chosen;
}
