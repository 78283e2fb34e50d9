#pragma once

#include <QString>
#include <QStringList>

// Reads one folder for the lists: the names of its files that match a
// pattern, or of its subfolders. Letter case is ignored in patterns and in the
// order; hidden entries (and on Windows system entries) are left out. Large
// survey folders are common, so on Unix the folder is read directly and only
// matching names are decoded, with no file information fetched for the rest.
namespace FolderListing {

enum class Kind { Files, Folders };

// Sorted by name without regard to letter case. An empty pattern matches all.
QStringList list(const QString& folder, Kind kind, const QString& pattern = QString());

// Wildcard match with '*' and '?', ASCII letters compared without case.
bool matches(QByteArrayView pattern, QByteArrayView name);

}
