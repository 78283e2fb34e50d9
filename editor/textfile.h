// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringConverter>

// The editor's files: 8-bit text, read whole and written back with the line end they came with.
namespace TextFile {

enum class LineEnd { CrLf, Lf, Cr };

// The name as Qt's file classes must be given it. They take a leading ':' for a resource path,
// while to the editor it starts an ordinary name in the current folder.
QString diskName(const QString& name);

// What differs between platforms lives in textfile_posix.cpp and textfile_win.cpp:

// Present for the editor: a file (not a folder) that is neither hidden nor a system file.
// A relative name is taken from the current folder.
bool isNormalFile(const QString& name);

// The 8-bit encoding of text files: Latin-1 on Linux, the ANSI code page on Windows.
QStringConverter::Encoding eightBitEncoding();

// The first line end in the bytes; CrLf, the editor's own, when there is none.
LineEnd firstLineEnd(const QByteArray& bytes);

QString decode(const QByteArray& bytes);

struct Result {
    bool ok = false;
    QString error; // names the file and the cause
    int errorNumber = 0;
};

struct ReadResult : Result {
    QString text;
    LineEnd lineEnd = LineEnd::CrLf;
};

ReadResult read(const QString& name);

// Lines in `text` are separated by '\n'; each is written with `lineEnd`. Refuses, writing nothing,
// when a character has no place in the 8-bit encoding, and leaves the old file as it was when
// the write fails.
Result write(const QString& name, const QString& text, LineEnd lineEnd);

} // namespace TextFile
