// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QOperatingSystemVersion>
#include <QString>
#include <QStringList>

// The lines a program printed to a text stream: they end in LF on Linux and in CR LF on
// Windows. A line that ends otherwise stays joined to the next, so a comparison sees it. The
// converter writes UTF-8 to a pipe on both.
inline QStringList textLines(const QByteArray& bytes)
{
    const bool windows = QOperatingSystemVersion::currentType() == QOperatingSystemVersion::Windows;
    return QString::fromUtf8(bytes).split(
        windows ? QStringLiteral("\r\n") : QStringLiteral("\n"), Qt::SkipEmptyParts);
}
