// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProcessEnvironment>

// The environment for a program run under strace. LeakSanitizer cannot work under ptrace and
// ends such a program with an error of its own, so in the sanitizer build a traced run leaves
// the leak check to the runs without strace; the other checks stay on.
inline QProcessEnvironment environmentForStrace(
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment())
{
    const QString options = environment.value(QStringLiteral("ASAN_OPTIONS"));
    environment.insert(QStringLiteral("ASAN_OPTIONS"),
        (options.isEmpty() ? QString() : options + QLatin1Char(':'))
            + QStringLiteral("detect_leaks=0"));
    return environment;
}
