#include "gsierror.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

#include <cerrno>

GsiError::GsiError(int number, QString description)
    : m_number(number)
    , m_description(std::move(description))
    , m_what(QStringLiteral("%1: %2").arg(number).arg(m_description).toLocal8Bit())
{
}

static QString shown(const QString& path) { return QDir::toNativeSeparators(path); }

static bool folderExists(const QString& path)
{
    return QFileInfo(QFileInfo(path).absolutePath()).isDir();
}

GsiError GsiError::forRead(const QString& path, int systemError)
{
    const QFileInfo info(path);
    // The system's own answer first: a name outside UTF-8 cannot be looked at
    // through QFileInfo.
    if (systemError == EACCES || systemError == EPERM)
        return { PermissionDenied,
            QStringLiteral("Ingen adgang til at læse filen %1").arg(shown(path)) };
    if (systemError == EISDIR)
        return { PathFileAccessError,
            QStringLiteral("%1 er en mappe, ikke en fil").arg(shown(path)) };
    if (!folderExists(path))
        return { PathNotFound, QStringLiteral("Mappen findes ikke: %1").arg(shown(path)) };
    if (!info.exists())
        return { FileNotFound, QStringLiteral("Filen findes ikke: %1").arg(shown(path)) };
    if (info.isDir())
        return { PathFileAccessError,
            QStringLiteral("%1 er en mappe, ikke en fil").arg(shown(path)) };
    if (!info.isReadable())
        return { PermissionDenied,
            QStringLiteral("Ingen adgang til at læse filen %1").arg(shown(path)) };
    return { DeviceIoError, QStringLiteral("Filen %1 kunne ikke læses").arg(shown(path)) };
}

GsiError GsiError::forWrite(const QString& path, int systemError, qint64 bytesNeeded)
{
    const QFileInfo info(path);
    if (!folderExists(path))
        return { PathNotFound, QStringLiteral("Mappen findes ikke: %1").arg(shown(path)) };
    if (info.isDir() || systemError == EISDIR)
        return { PathFileAccessError,
            QStringLiteral("%1 er en mappe; filen kan ikke skrives").arg(shown(path)) };
#ifdef EDQUOT
    const bool quota = systemError == EDQUOT;
#else
    const bool quota = false;
#endif
    const QStorageInfo storage(info.absolutePath());
    if (systemError == ENOSPC || quota
        || (storage.isValid() && storage.bytesAvailable() >= 0
            && storage.bytesAvailable() < bytesNeeded))
        return { DiskFull,
            QStringLiteral("Disken er fuld; filen %1 kunne ikke skrives").arg(shown(path)) };
    if (systemError == EACCES || systemError == EPERM || systemError == EROFS
        || (info.exists() && !info.isWritable()) || !QFileInfo(info.absolutePath()).isWritable())
        return { PermissionDenied,
            QStringLiteral("Ingen adgang til at skrive filen %1").arg(shown(path)) };
    return { DeviceIoError, QStringLiteral("Filen %1 kunne ikke skrives").arg(shown(path)) };
}
