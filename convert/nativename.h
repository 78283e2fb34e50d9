#pragma once

#include <QByteArray>
#include <QString>

class QFile;

// File names exactly as the file system holds them. On Linux a name is any
// string of bytes, and one that is not valid UTF-8 does not survive Qt's own
// name conversion: the list would show it, but the file opened on a click
// would be another one, or none. Such names are kept here as text in which
// every byte that is not part of valid UTF-8 stands as U+DC80 plus the byte,
// and turned back into exactly those bytes when a file is opened. On Windows
// names are UTF-16 already and pass through unchanged.
namespace NativeName {

QString decode(QByteArrayView raw);
QByteArray encode(const QString& name);

// True when Qt's own file classes reach the file that `name` stands for.
bool isPlain(const QString& name);

// Opens `path` for reading into `file`. False with errno set on failure.
bool openForReading(QFile& file, const QString& path);

// For a name that is not plain: true when a file (not a folder) stands there
// that this process may not replace.
bool isReadOnlyFile(const QString& path);

// Moves `from` onto `to` in one step, replacing what stood there. False with
// errno set on failure.
bool replace(const QString& from, const QString& to);

// The errno value of the last failed file call. Windows sets none: there a file that
// another program holds open without sharing, or a read-only one, counts as EACCES.
int systemError();

}
