// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "nativepath.h"

#include <QDir>

namespace NativePath {

std::filesystem::path fromText(const QString& text) { return text.toStdWString(); }

QString toText(const std::filesystem::path& path)
{
    return QString::fromStdWString(path.generic_wstring());
}

QString shown(const std::filesystem::path& path)
{
    return QDir::toNativeSeparators(QString::fromStdWString(path.native()));
}

}
