// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the main-window tests do to the window as a user would: open it, click
// an entry of a file list, and close every main window again afterwards.

#include "drives.h"
#include "form1.h"
#include "listboxes.h"
#include "nativepath.h"

#include <QApplication>
#include <QPointer>
#include <QtTest>

namespace MainWindowTest {

// Waits until no main window has work under way: folder reads, conversions and preview loads
// answer through the event queue. The bound only stops a hang: a 64 MB file under the
// sanitizers on a loaded machine has taken more than 20 s.
inline bool settle(int timeoutMs = 120000)
{
    return QTest::qWaitFor(
        [] {
            for (QWidget* widget : QApplication::topLevelWidgets())
                if (auto* window = qobject_cast<Form1*>(widget); window && window->isBusy())
                    return false;
            return true;
        },
        timeoutMs);
}

inline Form1* openWindow()
{
    auto* window = new Form1;
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    QApplication::setActiveWindow(window);
    if (!QTest::qWaitForWindowExposed(window))
        qWarning("window not exposed");
    if (!settle())
        qWarning("the window did not finish reading its folder");
    return window;
}

// A mouse click on entry `row`; returns once the conversion and the lists read afresh are done.
inline bool clickEntry(FileListBox* list, int row)
{
    QListWidgetItem* item = list->item(row);
    if (!item)
        return false;
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
    return settle();
}

// A folder standing in for a drive.
inline Drives::Drive fakeDrive(const QString& root, const QString& label = QString())
{
    return { NativePath::fromText(root), label };
}

inline QString text(const std::filesystem::path& path) { return NativePath::toText(path); }

inline void closeWindows()
{
    QList<QPointer<Form1>> windows;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* window = qobject_cast<Form1*>(widget))
            windows.append(window);
    qDeleteAll(windows);
}

}
