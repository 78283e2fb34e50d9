// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "nativepath.h"

#include <QFile>

namespace NativePath {

std::filesystem::path fromText(const QString& text)
{
    return QFile::encodeName(text).toStdString();
}

QString toText(const std::filesystem::path& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path.native()));
}

QString shown(const std::filesystem::path& path) { return toText(path); }

}
