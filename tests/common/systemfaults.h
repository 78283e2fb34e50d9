// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

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
// A child process starts writing `target` through a named temporary file and
// is then sent `signal` ("INT", "TERM" or "HUP"). Empty when the child ended by
// that signal; else what happened, or why the system cannot do this.
QString interruptWhileWriting(const QByteArray& target, const QByteArray& signal);

}
