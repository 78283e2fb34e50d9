// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
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

// Makes writing the output into `folder` fail as this platform can make it fail: on POSIX
// the folder loses its write permission; on Windows, where a folder's read-only attribute
// stops nothing, the file already at `output` gets the read-only attribute. Returns the
// path to hand to allowWriting().
QByteArray denyWriting(const QByteArray& folder, const QByteArray& output);
bool allowWriting(const QByteArray& denied);

// Keeps the program from reading `path` until allowReading(): on POSIX no permission
// bits; on Windows the file is held open sharing nothing, as another program may hold it.
bool denyReading(const QByteArray& path);
bool allowReading(const QByteArray& path);

// Windows only (false elsewhere): holds `path` open sharing nothing until releaseHeld().
bool holdOpen(const QByteArray& path);
void releaseHeld();

// Windows refuses to remove a folder that is a process's current folder.
bool currentFolderCannotVanish();

}
