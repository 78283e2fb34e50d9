// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QFile>
#include <QString>

// Builders for small GSI-16 fixtures: a line is '*' and words of 24 characters
// (index, information field, sign, 16 data characters, a space).
namespace Gsi {

inline QByteArray word(const char* index, const char* info, char sign, const QByteArray& data)
{
    QByteArray w = QByteArray(index) + info + sign + data.rightJustified(16, '0', true) + ' ';
    Q_ASSERT(w.size() == 24);
    return w;
}

inline QByteArray line(const QByteArrayList& words) { return '*' + words.join(); }

inline QByteArray crlf(const QByteArrayList& lines)
{
    QByteArray out;
    for (const QByteArray& l : lines)
        out += l + "\r\n";
    return out;
}

inline bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

inline QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The header and the six-word coordinate line of the worked alignment example.
inline QByteArray alignmentHeader()
{
    return line({ word("41", "0001", '+', "00000000HZALIGNM") });
}

inline QByteArray coordinateLine(const QByteArray& word2 = word("71", "....", '+', "2"),
    char sign3 = '-', const QByteArray& data3 = "250000")
{
    return line({ word("11", "....", '+', "1250"), word2, word("72", "...0", sign3, data3),
        word("73", "...0", '+', "0"), word("81", "..10", '+', "12345678"),
        word("82", "..10", '-', "87654321") });
}

}
