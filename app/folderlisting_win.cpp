#include "folderlisting.h"

#include <QDir>

namespace FolderListing {

Names readUnsorted(const std::filesystem::path& folder, Kind kind, const QString& pattern)
{
    // Without QDir::Hidden and QDir::System, hidden and system entries stay
    // out; name filters ignore letter case here.
    const QDir::Filters filters
        = kind == Kind::Files ? QDir::Files : QDir::Dirs | QDir::NoDotAndDotDot;
    Names names;
    const QStringList found
        = QDir(QString::fromStdWString(folder.native()))
              .entryList(pattern.isEmpty() ? QStringList() : QStringList { pattern }, filters,
                  QDir::Unsorted);
    for (const QString& name : found)
        names.emplace_back(name.toStdWString());
    return names;
}

}
