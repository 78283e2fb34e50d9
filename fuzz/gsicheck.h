#pragma once

// What must hold for any bytes at all given to the line reader and to both
// conversions, with the 1000-line limit in force. The fuzz target and the
// ordinary suite's regression cases share it. Each rule is worked out here
// again from the column map, independently of the conversion's own code.

#include "gsierror.h"
#include "linereader.h"
#include "module1.h"
#include "nativename.h"

#include <QBuffer>
#include <QByteArrayList>
#include <QString>

namespace GsiCheck {

// Lines end at CR LF, a lone CR or a lone LF; the last may have no end.
inline QByteArrayList lines(QByteArrayView bytes)
{
    QByteArrayList found;
    qsizetype start = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\r' && bytes[i] != '\n')
            continue;
        found.append(bytes.sliced(start, i - start).toByteArray());
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < bytes.size())
        found.append(bytes.sliced(start).toByteArray());
    return found;
}

// n characters from column s, counted from 1.
inline QByteArray cols(const QByteArray& line, qsizetype column, qsizetype n)
{
    return line.mid(column - 1, n);
}

inline QByteArray alignmentLine(const QByteArray& line)
{
    const qsizetype p = line.indexOf("82..10-") + 1;
    QByteArray word82 = cols(line, 105, 16), word81 = cols(line, 129, 16);
    if (p >= 1) {
        word82.prepend(" 82..10+");
        word81.prepend(p > 1 ? "81..10-" : "81..10+");
    }
    QByteArray tail;
    const char sign = line.size() >= 56 ? line[55] : '\0';
    if (p == 0)
        tail = cols(line, 56, 41);
    else if (p > 1 && (sign == '-' || line.contains("71....+00000000STRAIGHT")))
        tail = '+' + cols(line, 57, 41);
    else if (p > 1 && sign == '+')
        tail = '-' + cols(line, 57, 41);
    else
        tail = cols(line, 56, 42);
    return cols(line, 1, 55) + tail + word81 + word82 + ' ';
}

inline QByteArray profileLine(const QByteArray& line)
{
    const char sign = line.size() >= 56 ? line[55] : '\0';
    QByteArray out = cols(line, 1, 55);
    if (sign == '-')
        out += '+';
    if (sign == '+')
        out += '-';
    return out + cols(line, 57, 40);
}

// The expected output, or false when the limit must refuse the file.
inline bool expected(Module1::Conversion kind, const QByteArrayList& all, QByteArray& out)
{
    QByteArrayList kept;
    for (const QByteArray& line : all) {
        if (kept.size() == Module1::MaxLines)
            return false; // a line remains while every slot is taken
        if (kind == Module1::Conversion::Profile || line.indexOf("74....") < 1)
            kept.append(line);
    }
    out.clear();
    for (qsizetype i = 0; i < kept.size(); ++i) {
        out += i == 0 ? kept[0]
                      : (kind == Module1::Conversion::Alignment ? alignmentLine(kept[i])
                                                                : profileLine(kept[i]));
        out += "\r\n";
    }
    return true;
}

// Empty when everything held; otherwise what broke.
inline QString check(QByteArrayView data)
{
    const QByteArray bytes = data.toByteArray();
    const QByteArrayList all = lines(data);

    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    LineReader reader(buffer);
    QByteArrayList read;
    QByteArray line;
    while (!reader.atEnd()) {
        reader.readLine(line);
        read.append(line);
    }
    if (reader.failed() || read != all)
        return QStringLiteral("the line reader split the bytes differently");

    for (const auto kind : { Module1::Conversion::Alignment, Module1::Conversion::Profile }) {
        const QString name = kind == Module1::Conversion::Alignment ? QStringLiteral("alignment")
                                                                    : QStringLiteral("profile");
        QByteArray want;
        const bool allowed = expected(kind, all, want);
        try {
            const QByteArray got = Module1::convertBytes(kind, bytes);
            if (!allowed)
                return name + QStringLiteral(": more than 1000 lines converted");
            if (got != want)
                return name + QStringLiteral(": output differs from the rules");
        } catch (const GsiError& error) {
            if (allowed || error.number() != GsiError::SubscriptOutOfRange)
                return name + QStringLiteral(": unexpected error %1").arg(error.number());
        }
    }

#ifndef Q_OS_WIN
    if (NativeName::encode(NativeName::decode(data)) != bytes)
        return QStringLiteral("the bytes do not survive as a file name");
#endif
    return {};
}

}
