#include "nativename.h"

#include <QFile>

#include <cerrno>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace NativeName {

#ifdef Q_OS_WIN

QString decode(QByteArrayView raw) { return QFile::decodeName(raw.toByteArray()); }
QByteArray encode(const QString& name) { return QFile::encodeName(name); }
bool isPlain(const QString&) { return true; }

bool openForReading(QFile& file, const QString& path)
{
    file.setFileName(path);
    return file.open(QIODevice::ReadOnly);
}

bool isReadOnlyFile(const QString&) { return false; }
bool replace(const QString&, const QString&) { return false; }

int systemError()
{
    switch (GetLastError()) {
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return EACCES;
    default:
        return errno;
    }
}

#else

int systemError() { return errno; }

namespace {

    constexpr char16_t EscapeBase = 0xDC00;

    // An escaped byte is a lone low surrogate; the second half of a pair is a
    // character like any other, even where it falls in the same range.
    bool isEscape(const QString& name, qsizetype i)
    {
        const char16_t c = name.at(i).unicode();
        return c >= 0xDC80 && c <= 0xDCFF && (i == 0 || !name.at(i - 1).isHighSurrogate());
    }

    // The length of the valid UTF-8 sequence at `at`, or 0 when there is none:
    // overlong forms, surrogates and code points past U+10FFFF are not valid.
    qsizetype sequenceLength(QByteArrayView raw, qsizetype at)
    {
        const auto byte = [&](qsizetype i) { return uchar(raw[i]); };
        const uchar lead = byte(at);
        if (lead < 0x80)
            return 1;
        qsizetype length;
        char32_t code;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            code = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            code = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            code = lead & 0x07;
        } else {
            return 0;
        }
        if (at + length > raw.size())
            return 0;
        for (qsizetype i = 1; i < length; ++i) {
            if ((byte(at + i) & 0xC0) != 0x80)
                return 0;
            code = (code << 6) | (byte(at + i) & 0x3F);
        }
        const char32_t least = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
        if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return 0;
        return length;
    }

}

QString decode(QByteArrayView raw)
{
    const QByteArray bytes = raw.toByteArray();
    QString name = QFile::decodeName(bytes);
    if (QFile::encodeName(name) == bytes)
        return name;
    name.clear();
    qsizetype at = 0;
    while (at < raw.size()) {
        const qsizetype length = sequenceLength(raw, at);
        if (length == 0) {
            name += QChar(char16_t(EscapeBase + uchar(raw[at])));
            ++at;
        } else {
            name += QString::fromUtf8(raw.sliced(at, length));
            at += length;
        }
    }
    return name;
}

bool isPlain(const QString& name)
{
    for (qsizetype i = 0; i < name.size(); ++i)
        if (isEscape(name, i))
            return false;
    return true;
}

QByteArray encode(const QString& name)
{
    if (isPlain(name))
        return QFile::encodeName(name);
    QByteArray raw;
    qsizetype from = 0;
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (!isEscape(name, i))
            continue;
        raw += QStringView(name).sliced(from, i - from).toUtf8();
        raw += char(name.at(i).unicode() - EscapeBase);
        from = i + 1;
    }
    raw += QStringView(name).sliced(from).toUtf8();
    return raw;
}

bool openForReading(QFile& file, const QString& path)
{
    if (isPlain(path)) {
        file.setFileName(path);
        return file.open(QIODevice::ReadOnly);
    }
    const int fd = ::open(encode(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info;
    if (fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
        ::close(fd);
        errno = EISDIR;
        return false;
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
}

bool isReadOnlyFile(const QString& path)
{
    const QByteArray raw = encode(path);
    struct stat info;
    return ::stat(raw.constData(), &info) == 0 && !S_ISDIR(info.st_mode)
        && ::access(raw.constData(), W_OK) != 0;
}

bool replace(const QString& from, const QString& to)
{
    return std::rename(encode(from).constData(), encode(to).constData()) == 0;
}

#endif

}
