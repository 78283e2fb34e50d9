// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Builds the desktop and installer icons from the logo at build time: icons must be square,
// and the logo is not quite.
#include <QImage>
#include <QPainter>

#include <cstdio>

int main(int argc, char* argv[])
{
    if (argc < 4 || (argc - 2) % 2 != 0) {
        std::fputs("usage: sigtelinje-makeicon LOGO SIZE OUT [SIZE OUT]...\n", stderr);
        return 2;
    }
    const QImage logo(QString::fromLocal8Bit(argv[1]));
    if (logo.isNull()) {
        std::fprintf(stderr, "sigtelinje-makeicon: cannot read %s\n", argv[1]);
        return 1;
    }
    for (int i = 2; i + 1 < argc; i += 2) {
        const int size = std::atoi(argv[i]);
        QImage icon(size, size, QImage::Format_ARGB32);
        icon.fill(Qt::transparent);
        // Never enlarged: a logo blown up looks blurred; a smaller one is centred.
        const QImage fitted = logo.width() <= size && logo.height() <= size
            ? logo
            : logo.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        QPainter painter(&icon);
        painter.drawImage((size - fitted.width()) / 2, (size - fitted.height()) / 2, fitted);
        painter.end();
        // The format follows the name: .png for the desktop, .ico for Windows.
        if (!icon.save(QString::fromLocal8Bit(argv[i + 1]))) {
            std::fprintf(stderr, "sigtelinje-makeicon: cannot write %s\n", argv[i + 1]);
            return 1;
        }
    }
    return 0;
}
