#pragma once

#include <QByteArray>
#include <QByteArrayList>

// Files addressed by their names exactly as bytes, so that the tests see the
// folder as the file system holds it and not as Qt would decode it.
namespace FaultFiles {

bool makeFolder(const QByteArray& path);
bool writeRaw(const QByteArray& path, const QByteArray& bytes);
// The file's bytes, or "<missing>" when it cannot be read.
QByteArray readRaw(const QByteArray& path);
bool removeRaw(const QByteArray& path);
bool removeTree(const QByteArray& path);
// Every entry of the folder, hidden ones too, sorted; empty when it is gone.
QByteArrayList listRaw(const QByteArray& folder);
// Grows `path` until the file system holding it has no byte left.
bool fillUp(const QByteArray& path);
bool setWritable(const QByteArray& folder, bool writable);

}
