// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "inputfile.h"

#include "gsierror.h"

#include <algorithm>
#include <cerrno>

std::streamsize InputFile::xsgetn(char* to, std::streamsize count)
{
    std::streamsize total = 0;
    while (total < count && !m_overLimit && m_error == 0) {
        // One byte past the limit is enough to know the file is too large.
        const std::uintmax_t allowed = m_limit + 1 - m_read;
        const std::size_t want = std::size_t(std::min<std::uintmax_t>(count - total, allowed));
        const std::streamsize got = readSome(to + total, want);
        if (got <= 0)
            break;
        m_read += std::uintmax_t(got);
        total += got;
        if (m_read > m_limit) {
            m_overLimit = true;
            total -= std::streamsize(m_read - m_limit);
        }
    }
    return total;
}

InputFile::int_type InputFile::underflow()
{
    if (xsgetn(&m_byte, 1) != 1)
        return traits_type::eof();
    setg(&m_byte, &m_byte, &m_byte + 1);
    return traits_type::to_int_type(m_byte);
}

std::string InputFile::readAll()
{
    std::string bytes;
    char piece[64 * 1024];
    for (;;) {
        const std::streamsize got = sgetn(piece, sizeof piece);
        if (got <= 0)
            break;
        bytes.append(piece, std::size_t(got));
    }
    checkComplete();
    return bytes;
}

void InputFile::checkComplete() const
{
    // Only a file that is not one makes a reader wait: its reads are never allowed to.
    if (m_error == EAGAIN)
        throw GsiError::notAFile(m_path);
    if (m_error != 0)
        throw GsiError::forRead(m_path, m_error);
    if (m_overLimit)
        throw tooLargeError();
}

GsiError InputFile::tooLargeError() const
{
    return GsiError(GsiError::OutOfMemory,
        "Filen " + shownPath(m_path) + " er større end " + std::to_string(m_limit / (1024 * 1024))
            + " MB, som er grænsen for en GSI-fil; der er intet skrevet");
}
