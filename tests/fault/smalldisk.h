// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProcess>
#include <QString>

// A small tmpfs of its own, mounted over a folder for one row and unmounted
// again when the row ends. Only root may mount one; mount() says why it failed.
class SmallDisk {
public:
    ~SmallDisk()
    {
        if (!m_point.isEmpty())
            QProcess::execute(QStringLiteral("umount"), { QStringLiteral("-l"), m_point });
    }

    // An empty string when mounted; else what mount said.
    QString mount(const QString& point, const QString& size)
    {
        const QString failure = run({ QStringLiteral("-t"), QStringLiteral("tmpfs"),
            QStringLiteral("-o"), QStringLiteral("size=") + size, QStringLiteral("tmpfs"), point });
        if (failure.isEmpty())
            m_point = point;
        return failure;
    }

    // Read-only: what was written stays readable, and nothing more can be written.
    QString setReadOnly(bool readOnly)
    {
        return run({ QStringLiteral("-o"),
            readOnly ? QStringLiteral("remount,ro") : QStringLiteral("remount,rw"), m_point });
    }

private:
    static QString run(const QStringList& arguments)
    {
        QProcess mount;
        mount.start(QStringLiteral("mount"), arguments);
        if (!mount.waitForFinished(60000) || mount.exitStatus() != QProcess::NormalExit
            || mount.exitCode() != 0)
            return QString::fromLocal8Bit(mount.readAllStandardError()).trimmed()
                + QStringLiteral(" (mount could not start or failed)");
        return {};
    }

    QString m_point;
};
