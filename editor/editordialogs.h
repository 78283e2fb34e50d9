// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFont>
#include <QString>

#include <optional>

class QFileDialog;
class QMessageBox;
class QWidget;

// Every dialog the editor shows goes through here, so that tests can answer in their place.
class EditorDialogs {
public:
    virtual ~EditorDialogs();
    // `filters` is "caption|pattern|caption|pattern..."; `selectedFilter` is one of the captions.
    // Both return the chosen path, or the empty text when the user cancels.
    virtual QString openFileName(
        QWidget* parent, const QString& filters, const QString& selectedFilter)
        = 0;
    virtual QString saveFileName(
        QWidget* parent, const QString& filters, const QString& selectedFilter)
        = 0;
    virtual std::optional<QFont> font(QWidget* parent, const QFont& initial) = 0;
    virtual void error(QWidget* parent, const QString& message) = 0;
};

// The box the platform's dialogs show an error in, not yet shown: a long path in `message`
// wraps inside the box as the main window's error box wraps it.
QMessageBox* editorErrorBox(QWidget* parent, const QString& message);

// Gives a file dialog the filters, each shown by its caption exactly and matching by its own
// pattern, with `selectedFilter` chosen, as the editor's own dialogs have them.
void setUpFileDialog(QFileDialog& dialog, const QString& filters, const QString& selectedFilter);

// The platform's own font dialog, modal to `parent`'s window: the font chosen, or nothing when
// the user cancels. Qt's dialog on Linux (editordialogs_posix.cpp), the common font dialog of
// Windows (editordialogs_win.cpp).
std::optional<QFont> platformFontDialog(QWidget* parent, const QFont& initial);

// The dialogs in use: the platform's own until a test installs others.
EditorDialogs& editorDialogs();
// Takes no ownership; nullptr goes back to the platform's dialogs.
void setEditorDialogs(EditorDialogs* dialogs);
