#include "textfile.h"

#include <QDir>
#include <QFileInfo>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace TextFile {

QStringConverter::Encoding eightBitEncoding() { return QStringConverter::System; } // ANSI

bool isNormalFile(const QString& name)
{
    if (name.isEmpty())
        return false;
    const QString path = QDir::toNativeSeparators(QFileInfo(diskName(name)).absoluteFilePath());
    const DWORD attributes = GetFileAttributesW(reinterpret_cast<const wchar_t*>(path.utf16()));
    return attributes != INVALID_FILE_ATTRIBUTES
        && !(attributes
            & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
}

} // namespace TextFile
