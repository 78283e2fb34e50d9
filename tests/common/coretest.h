// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The conversion core speaks std::string and std::filesystem::path; the tests
// build their fixtures with Qt. These carry values across.

#include "module1.h"

#include <QByteArray>
#include <QString>

namespace CoreTest {

inline QByteArray convertBytes(Module1::Conversion kind, const QByteArray& input)
{
    const std::string out = Module1::convertBytes(
        kind, std::string_view(input.constData(), std::size_t(input.size())));
    return QByteArray(out.data(), qsizetype(out.size()));
}

inline std::filesystem::path path(const QString& text)
{
    return std::filesystem::path(text.toStdU16String());
}

inline QString text(const std::filesystem::path& path)
{
    return QString::fromStdU16String(path.u16string());
}

}
