// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "platformtest.h"

namespace Unprivileged {

inline bool isRoot() { return PlatformTest::isRoot(); }

// Root may read and write anywhere, so a row about permissions means nothing
// to it: the row runs again in a copy of this program as the user "nobody",
// and must pass there. The caller returns right after.
inline void rerunRow(const char* function)
{
    const QString tag = QString::fromUtf8(QTest::currentDataTag());
    if (QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty())
        QSKIP("setpriv is not installed; tools/install-deps.sh installs it");
    QTemporaryDir place;
    QVERIFY(place.isValid());
    const QString copy
        = place.filePath(QFileInfo(QCoreApplication::applicationFilePath()).fileName());
    QVERIFY(QFile::copy(QCoreApplication::applicationFilePath(), copy));
    const auto everyone = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup
        | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
    QVERIFY(QFile::setPermissions(place.path(), everyone));
    QVERIFY(QFile::setPermissions(copy, everyone));

    QProcess child;
    child.setWorkingDirectory(place.path());
    child.setProcessChannelMode(QProcess::MergedChannels);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TMPDIR"), QStringLiteral("/tmp"));
    environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    child.setProcessEnvironment(environment);
    child.start(QStringLiteral("setpriv"),
        { QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
            QStringLiteral("--clear-groups"), copy,
            QLatin1String(function) + QLatin1Char(':') + tag });
    QVERIFY(child.waitForFinished(300000));
    const QString output = QString::fromLocal8Bit(child.readAll());
    QVERIFY2(
        child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0, qPrintable(output));
    const QString row = QStringLiteral("::%1(%2)").arg(QLatin1String(function), tag);
    bool passed = false;
    for (const QString& line : output.split(QLatin1Char('\n')))
        passed = passed || (line.startsWith(QLatin1String("PASS   : ")) && line.endsWith(row));
    QVERIFY2(passed, qPrintable(output));
}

}
