// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

#include <optional>

// What the converter's tests do differently by platform: cliplatform_posix.cpp and
// cliplatform_win.cpp, one of them built.
namespace CliPlatform {

// Runs `program` in `folder` with its standard streams on a console of its own, and gives
// back what the console then shows, line by line with trailing blanks cut, or nothing where
// the platform has no console to read back (Linux, where a terminal takes the bytes as they
// are).
std::optional<QStringList> runOnConsole(
    const QString& program, const QStringList& arguments, const QString& folder);

// The program `process` starts gets no console at all, as one started by a service or with its
// streams redirected from a Unix shell under Wine (Windows; nothing to do on Linux).
void giveNoConsole(QProcess& process);

// What a program file tells the system about itself: its version resource, whether it has
// an icon, and its manifest. Nothing where programs carry no such resources (Linux).
struct Identity {
    QString productName;
    QString productVersion;
    QString fileVersion;
    QString fileDescription;
    QString legalCopyright;
    bool hasIcon = false;
    QList<int> iconSizes; // in pixels, as the icon's group lists them
    QString manifest;
    // The DLLs its import table names, as `objdump -p` lists them.
    QStringList importedDlls;
};
std::optional<Identity> readIdentity(const QString& program);

}
