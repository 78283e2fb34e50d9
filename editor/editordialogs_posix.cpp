// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "editordialogs.h"

#include <QFontDialog>

std::optional<QFont> platformFontDialog(QWidget* parent, const QFont& initial)
{
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, initial, parent);
    return ok ? std::optional<QFont>(chosen) : std::nullopt;
}
