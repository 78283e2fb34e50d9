#include "folderlisting.h"

#include <QDir>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace FolderListing {

namespace {

    // Qt leaves hidden entries out without QDir::Hidden, but not those with the
    // system attribute, which Windows keeps out of its own lists too.
    bool isHiddenOrSystem(const std::filesystem::path& path)
    {
        const DWORD attributes = GetFileAttributesW(path.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES
            && (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    }

}

Names readUnsorted(const std::filesystem::path& folder, Kind kind, const QString& pattern)
{
    // Name filters ignore letter case here.
    const QDir::Filters filters
        = kind == Kind::Files ? QDir::Files : QDir::Dirs | QDir::NoDotAndDotDot;
    Names names;
    const QStringList found
        = QDir(QString::fromStdWString(folder.native()))
              .entryList(pattern.isEmpty() ? QStringList() : QStringList { pattern }, filters,
                  QDir::Unsorted);
    for (const QString& name : found) {
        std::filesystem::path entry = name.toStdWString();
        if (!isHiddenOrSystem(folder / entry))
            names.push_back(std::move(entry));
    }
    return names;
}

}
