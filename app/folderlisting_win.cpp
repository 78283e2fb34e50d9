#include "folderlisting.h"

#include <QDir>

namespace FolderListing {

QStringList readUnsorted(const QString& folder, Kind kind, const QString& pattern)
{
    // Without QDir::Hidden and QDir::System, hidden and system entries stay
    // out; name filters ignore letter case here.
    const QDir::Filters filters
        = kind == Kind::Files ? QDir::Files : QDir::Dirs | QDir::NoDotAndDotDot;
    return QDir(folder).entryList(
        pattern.isEmpty() ? QStringList() : QStringList { pattern }, filters, QDir::Unsorted);
}

}
