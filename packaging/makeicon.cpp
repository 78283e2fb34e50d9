// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Builds the desktop and installer icons from the logo at build time: icons must be square,
// and the logo is not quite. SIZE may list several sizes ("16,24,32,48,256") for one .ico,
// which Windows then picks from for small icons and high DPI rather than scaling one.
#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QStringList>
#include <QtEndian>

#include <cstdio>

namespace {

QImage iconOf(const QImage& logo, int size)
{
    QImage icon(size, size, QImage::Format_ARGB32);
    icon.fill(Qt::transparent);
    // Never enlarged: a logo blown up looks blurred; a smaller one is centred.
    const QImage fitted = logo.width() <= size && logo.height() <= size
        ? logo
        : logo.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QPainter painter(&icon);
    painter.drawImage((size - fitted.width()) / 2, (size - fitted.height()) / 2, fitted);
    painter.end();
    return icon;
}

template <typename T> void put(QByteArray& out, T value)
{
    const T little = qToLittleEndian(value);
    out.append(reinterpret_cast<const char*>(&little), sizeof little);
}

// An image as an .ico holds it: 256 px as PNG, as Windows Vista and later read it; the small
// ones as 32-bit bitmaps with alpha, which every reader of icons (resource compilers, NSIS)
// takes.
QByteArray iconImage(const QImage& icon)
{
    QByteArray out;
    if (icon.width() >= 256) {
        QBuffer buffer(&out);
        buffer.open(QIODevice::WriteOnly);
        icon.save(&buffer, "PNG");
        return out;
    }
    const int size = icon.width();
    const int maskRow = ((size + 31) / 32) * 4;
    put<quint32>(out, 40);
    put<qint32>(out, size);
    put<qint32>(out, size * 2); // the colour bitmap and its mask
    put<quint16>(out, 1);
    put<quint16>(out, 32);
    put<quint32>(out, 0);
    put<quint32>(out, quint32(size * size * 4 + maskRow * size));
    for (int i = 0; i < 4; ++i)
        put<quint32>(out, 0);
    for (int y = size - 1; y >= 0; --y) // bottom up
        for (int x = 0; x < size; ++x)
            put<quint32>(out, icon.pixel(x, y)); // 0xAARRGGBB: B, G, R, A in the file
    out.append(QByteArray(maskRow * size, '\0')); // all shown: the alpha decides
    return out;
}

bool writeIco(const QImage& logo, const QList<int>& sizes, const QString& name)
{
    QByteArray header;
    QByteArray images;
    put<quint16>(header, 0);
    put<quint16>(header, 1);
    put<quint16>(header, quint16(sizes.size()));
    quint32 offset = 6 + 16 * quint32(sizes.size());
    for (const int size : sizes) {
        const QByteArray image = iconImage(iconOf(logo, size));
        header.append(char(size >= 256 ? 0 : size)); // 0 means 256
        header.append(char(size >= 256 ? 0 : size));
        header.append('\0'); // no palette
        header.append('\0');
        put<quint16>(header, 1);
        put<quint16>(header, 32);
        put<quint32>(header, quint32(image.size()));
        put<quint32>(header, offset);
        offset += quint32(image.size());
        images += image;
    }
    QFile file(name);
    return file.open(QIODevice::WriteOnly)
        && file.write(header + images) == header.size() + images.size() && file.flush();
}

}

int main(int argc, char* argv[])
{
    if (argc < 4 || (argc - 2) % 2 != 0) {
        std::fputs("usage: sigtelinje-makeicon LOGO SIZE[,SIZE...] OUT [SIZE OUT]...\n", stderr);
        return 2;
    }
    const QImage logo(QString::fromLocal8Bit(argv[1]));
    if (logo.isNull()) {
        std::fprintf(stderr, "sigtelinje-makeicon: cannot read %s\n", argv[1]);
        return 1;
    }
    for (int i = 2; i + 1 < argc; i += 2) {
        QList<int> sizes;
        for (const QString& size : QString::fromLocal8Bit(argv[i]).split(u','))
            sizes << size.toInt();
        const QString out = QString::fromLocal8Bit(argv[i + 1]);
        // The format follows the name: .png for the desktop, .ico for Windows.
        const bool written = out.endsWith(QStringLiteral(".ico"), Qt::CaseInsensitive)
            ? writeIco(logo, sizes, out)
            : iconOf(logo, sizes.value(0)).save(out);
        if (!written) {
            std::fprintf(stderr, "sigtelinje-makeicon: cannot write %s\n", argv[i + 1]);
            return 1;
        }
    }
    return 0;
}
