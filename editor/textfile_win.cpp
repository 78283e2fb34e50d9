// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "textfile.h"

#include "hiddenattributes_win.h"
#include "winpath_win.h"

#include <QDir>
#include <QFileInfo>

namespace TextFile {

std::filesystem::path nativePath(const QString& name)
{
    return WinPath::full(QDir::toNativeSeparators(name).toStdWString());
}

QString fromNativePath(const std::filesystem::path& path)
{
    return QString::fromStdWString(path.native());
}

QStringConverter::Encoding eightBitEncoding() { return QStringConverter::System; } // ANSI

bool isNormalFile(const QString& name)
{
    if (name.isEmpty())
        return false;
    const QString path = QDir::toNativeSeparators(QFileInfo(diskName(name)).absoluteFilePath());
    const DWORD attributes = GetFileAttributesW(reinterpret_cast<const wchar_t*>(path.utf16()));
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)
        && !HiddenFiles::hasHiddenAttributes(attributes);
}

} // namespace TextFile
