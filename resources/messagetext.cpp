// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "messagetext.h"

QString wrappable(const QString& text)
{
    constexpr int longestUnbroken = 32;
    const QChar zeroWidthSpace(0x200B);
    QString result;
    result.reserve(text.size() + text.size() / 8);
    int unbroken = 0;
    for (const QChar c : text) {
        result.append(c);
        if (c.isSpace() || c == zeroWidthSpace) {
            unbroken = 0;
        } else if (c == u'/' || c == u'\\' || ++unbroken >= longestUnbroken) {
            result.append(zeroWidthSpace);
            unbroken = 0;
        }
    }
    return result;
}
