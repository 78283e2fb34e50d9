// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

// What the tests need of the system that differs between Linux and Windows;
// systemfaults_posix.cpp and systemfaults_win.cpp hold the two sides. Paths
// are the file system's own bytes (UTF-8 on Windows).
namespace SystemFaults {

// The file's permission bits (07777), or -1 where the system has none.
int modeOf(const QByteArray& path);
bool setMode(const QByteArray& path, int mode);
// Sets the process's umask and returns the one before; -1 where there is none.
int setUmask(int mask);
// A FIFO at `path`, with no one writing to it; false where the system has none.
bool makeFifo(const QByteArray& path);
// A Unix domain socket bound at `path`, with no one listening; false where there is none.
bool makeSocket(const QByteArray& path);
// Opens the FIFO at `path` for writing without waiting, and closes it again: true when someone
// was waiting to read it, whom this frees. False for anything else at `path`.
bool openFifoForWriting(const QByteArray& path);
// A child process starts writing `target` through a named temporary file and
// is then sent `signal` ("INT", "TERM" or "HUP"). Empty when the child ended by
// that signal; else what happened, or why the system cannot do this.
QString interruptWhileWriting(const QByteArray& target, const QByteArray& signal);
// Gives `path` itself (a link, not what it points to) to `user`, and to that user's group.
bool setOwner(const QByteArray& path, const QByteArray& user);
// "user:group" of `path` itself; empty where the system has no such owners.
QString ownerOf(const QByteArray& path);
// Gives `user` the rights `rights` (4 read, 2 write) to `path` through an access list, or with
// `inherited` through the default list that every file later made in the folder `path` gets.
// False where the system or the file system keeps no access lists.
bool grantInAccessList(const QByteArray& path, const QByteArray& user, int rights, bool inherited);
// Runs `work` in a child process as the user nobody (group nogroup) and returns what it returned,
// or -1 when it could not be run so; only root can do this.
int runAsNobody(const std::function<int()>& work);

}
