// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "inputfile.h"

#include <QByteArray>
#include <QString>
#include <QStringConverter>

#include <filesystem>
#include <memory>

// The editor's files: 8-bit text, read whole and written back with the line end they came with.
// They are read and written through the same file layer as the converter's: only ordinary
// files, at most 64 MB, written whole or not at all in the folder that was opened, with modes
// no one can lend. Errors carry the main window's numbers and Danish descriptions.
namespace TextFile {

enum class LineEnd { CrLf, Lf, Cr };

// The name as Qt's file classes must be given it. They take a leading ':' for a resource path,
// while to the editor it starts an ordinary name in the current folder.
QString diskName(const QString& name);

// What differs between platforms lives in textfile_posix.cpp and textfile_win.cpp:

// A name as the file system holds it, and back.
std::filesystem::path nativePath(const QString& name);
QString fromNativePath(const std::filesystem::path& path);

// Present for the editor: a file (not a folder) that is neither hidden nor a system file.
// A relative name is taken from the current folder.
bool isNormalFile(const QString& name);

// The 8-bit encoding of text files: Latin-1 on Linux, the ANSI code page on Windows.
QStringConverter::Encoding eightBitEncoding();

// The first line end in the bytes; CrLf, the editor's own, when there is none.
LineEnd firstLineEnd(const QByteArray& bytes);

QString decode(const QByteArray& bytes);

// The file a text came from: where Save writes it back, what a copy may take over from it, and
// which file it was, so that Save can refuse when the name has since been made to lead to
// another file.
struct Origin {
    std::filesystem::path path; // the file that was opened, every link followed; empty for none
    FileOrigin rights;
    // What it hands out where it lies: Save writes it back with no more, and no less, than that,
    // whoever made the link it was opened through.
    FileOrigin ownRights;
    FileIdentity identity;
    // The folder it was found in (or that Save As chose), held open from that moment on: Save
    // writes there, whatever the folder's path has been made to lead to since.
    std::shared_ptr<const HeldFolder> folder;
};

struct Result {
    bool ok = false;
    QString error; // "Fejl N: ...", naming the file and the cause
    int errorNumber = 0;
    Origin origin; // of the file read or written
};

struct ReadResult : Result {
    QString text;
    LineEnd lineEnd = LineEnd::CrLf;
};

ReadResult read(const QString& name);

// Lines in `text` are separated by '\n'; each is written with `lineEnd`. Refuses, writing nothing,
// when a character has no place in the 8-bit encoding, and leaves the old file as it was when
// the write fails. The file gets no more rights than `from` has. With `replacing`, the file
// written is `replacing.path`, with no more rights than its own, and only while the name still
// leads to the file that was read.
Result write(const QString& name, const QString& text, LineEnd lineEnd, const FileOrigin& from,
    const Origin* replacing = nullptr);

} // namespace TextFile
