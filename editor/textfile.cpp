// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "textfile.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringConverter>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace TextFile {

QString diskName(const QString& name) { return name.startsWith(u':') ? u"./"_s + name : name; }

static QString displayName(const QString& name)
{
    return QDir::toNativeSeparators(QFileInfo(diskName(name)).absoluteFilePath());
}

LineEnd firstLineEnd(const QByteArray& bytes)
{
    const auto end
        = std::find_if(bytes.begin(), bytes.end(), [](char c) { return c == '\r' || c == '\n'; });
    if (end == bytes.end())
        return LineEnd::CrLf;
    if (*end == '\n')
        return LineEnd::Lf;
    return end + 1 != bytes.end() && *(end + 1) == '\n' ? LineEnd::CrLf : LineEnd::Cr;
}

QString decode(const QByteArray& bytes)
{
    QStringDecoder decoder(eightBitEncoding());
    return decoder(bytes);
}

static QByteArray encode(QStringView text)
{
    QStringEncoder encoder(eightBitEncoding());
    return encoder(text);
}

// Some encoders replace what they cannot hold without saying so; a character survives only if
// it comes back unchanged.
static bool fits(QStringView text) { return decode(encode(text)) == text; }

static QString refusal(const QString& name, const QString& text)
{
    int line = 1;
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == u'\n') {
            ++line;
            lineStart = i + 1;
            continue;
        }
        const qsizetype length = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QStringView character = QStringView(text).mid(i, length);
        if (!fits(character)) {
            const char32_t code = length == 2 ? QChar::surrogateToUcs4(text.at(i), text.at(i + 1))
                                              : char32_t(text.at(i).unicode());
            return u"Cannot save %1: the character \"%2\" (U+%3) on line %4, column %5 cannot be "
                   "stored in 8-bit text. Nothing was written."_s.arg(displayName(name))
                       .arg(character.toString())
                       .arg(uint(code), 4, 16, QChar(u'0'))
                       .arg(line)
                       .arg(i - lineStart + 1);
        }
        i += length - 1;
    }
    return u"Cannot save %1: the text cannot be stored in 8-bit text. Nothing was written."_s.arg(
        displayName(name));
}

ReadResult read(const QString& name)
{
    ReadResult result;
    QFile file(diskName(name));
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly)) {
        bytes = file.readAll();
        if (file.error() == QFileDevice::NoError) {
            result.ok = true;
            result.lineEnd = firstLineEnd(bytes);
            result.text = decode(bytes);
            return result;
        }
    }
    result.errorNumber = int(file.error());
    result.error = u"Error %1: cannot read %2: %3."_s.arg(result.errorNumber)
                       .arg(displayName(name), file.errorString());
    return result;
}

Result write(const QString& name, const QString& text, LineEnd lineEnd)
{
    Result result;
    if (!fits(text)) {
        result.error = refusal(name, text);
        return result;
    }
    QString withEnds = text;
    if (lineEnd != LineEnd::Lf)
        withEnds.replace(u'\n', lineEnd == LineEnd::CrLf ? u"\r\n"_s : u"\r"_s);

    QSaveFile file(diskName(name));
    if (file.open(QIODevice::WriteOnly)) {
        const QByteArray bytes = encode(withEnds);
        // QSaveFile commits even when its last buffered write fails as it closes (a full
        // disk), so the old file would be replaced by a short one; flush to see that first.
        if (file.write(bytes) == bytes.size() && file.flush() && file.commit()) {
            result.ok = true;
            return result;
        }
    }
    result.errorNumber = int(file.error());
    result.error
        = u"Error %1: cannot save %2: %3. The file was left as it was."_s.arg(result.errorNumber)
              .arg(displayName(name), file.errorString());
    return result;
}

} // namespace TextFile
