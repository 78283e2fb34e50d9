// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "textfile.h"

#include "hiddenfiles.h"

#include <QFile>
#include <QFileInfo>

namespace TextFile {

std::filesystem::path nativePath(const QString& name)
{
    return std::filesystem::path(QFile::encodeName(name).toStdString());
}

QString fromNativePath(const std::filesystem::path& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path.native()));
}

QStringConverter::Encoding eightBitEncoding() { return QStringConverter::Latin1; }

bool isNormalFile(const QString& name)
{
    if (name.isEmpty())
        return false;
    const QFileInfo info(diskName(name));
    // Anything but a folder counts, FIFOs and devices too: reading refuses those itself, on the
    // opened file, so that one swapped in after this look cannot make the editor wait.
    return info.exists() && !info.isDir()
        && !HiddenFiles::isHidden(QFile::encodeName(info.fileName()).toStdString());
}

} // namespace TextFile
