// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The 1000-line sample files that both benchmarks time, so their figures are
// comparable.

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace BenchFiles {

inline QByteArray word(const char* index, const char* info, char sign, qint64 value)
{
    return QByteArray(index) + info + sign + QByteArray::number(value).rightJustified(16, '0')
        + ' ';
}

inline QByteArray alignmentFile()
{
    QByteArray out = '*' + word("41", "0001", '+', 1) + "\r\n";
    for (int i = 1; i < 1000; ++i)
        out += '*' + word("11", "....", '+', i * 1000) + word("71", "....", '+', 2)
            + word("72", "...0", i % 2 ? '-' : '+', 250000) + word("73", "...0", '+', 0)
            + word("81", "..10", '+', 55000000 + i) + word("82", "..10", '-', 612000000 + i)
            + "\r\n";
    return out;
}

inline QByteArray profileFile()
{
    QByteArray out = '*' + word("41", "0001", '+', 1) + "\r\n";
    for (int i = 1; i < 1000; ++i)
        out += '*' + word("11", "....", '+', i * 1000) + word("83", "..10", '+', 12500 + i)
            + word("72", "...0", i % 2 ? '-' : '+', 4000) + word("73", "...0", '+', 0) + "\r\n";
    return out;
}

// An alignment the preview draws whole: 999 points 10 m apart, straights and curves of
// radius 250 m in turn, so every element is drawn and half of them as arcs.
inline QByteArray previewAlignmentFile()
{
    QByteArray out = '*' + word("41", "0001", '+', 1) + "\r\n";
    for (int i = 1; i < 1000; ++i)
        out += '*' + word("11", "....", '+', i * 10000)
            + word("71", "....", '+', 0)
                  .replace("0000000000000000", i % 2 ? "00000000STRAIGHT" : "00000000000CURVE")
            + word("72", "...0", i % 4 == 0 ? '-' : '+', i % 2 ? 0 : 250000)
            + word("73", "...0", '+', 0) + word("81", "..10", '+', 55000000 + i * 8000)
            + word("82", "..10", '-', 612000000 + i * 6000) + "\r\n";
    return out;
}

// A benchmark without its input files is meaningless: stop at once.
inline void write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "benchmark: cannot write %s\n", qPrintable(path));
        std::exit(1);
    }
}

}
