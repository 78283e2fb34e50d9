// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "form1platform.h"

#include <QDeadlineTimer>
#include <QThread>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace Form1Platform {

bool helpShowsAWindow() { return true; }

namespace {

    struct Search {
        QString text;
        HWND found = nullptr;
    };

    BOOL CALLBACK visit(HWND window, LPARAM parameter)
    {
        auto* search = reinterpret_cast<Search*>(parameter);
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        if (process == GetCurrentProcessId() || !IsWindowVisible(window))
            return TRUE;
        wchar_t title[512] = {};
        GetWindowTextW(window, title, 512);
        if (QString::fromWCharArray(title).contains(search->text, Qt::CaseInsensitive)) {
            search->found = window;
            return FALSE;
        }
        return TRUE;
    }

}

bool otherProgramShowsWindow(const QString& text, int milliseconds)
{
    const QDeadlineTimer deadline(milliseconds);
    do {
        Search search { text };
        EnumWindows(visit, reinterpret_cast<LPARAM>(&search));
        if (search.found) {
            PostMessageW(search.found, WM_CLOSE, 0, 0);
            return true;
        }
        QThread::msleep(200);
    } while (!deadline.hasExpired());
    return false;
}

// A fresh Wine prefix registers no "App Paths" entry for WordPad, so its folder decides.
QString freshSystemHelpViewer()
{
    return QStringLiteral("C:\\Program Files\\Windows NT\\Accessories\\wordpad.exe");
}

}
