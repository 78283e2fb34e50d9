// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "linereader.h"

#include <algorithm>
#include <cstring>

// The first CR or LF at or after `from`, or npos. memchr does the scanning; the
// search for a CR is remembered, so a file with LF ends is not scanned to the
// end of the buffer for a CR on every line.
std::size_t LineReader::lineEnd(std::size_t from)
{
    const char* data = m_buffer.data();
    const std::size_t size = m_end;
    if (m_nextCr < from || m_nextCr == std::string::npos) {
        const void* cr = from < size ? std::memchr(data + from, '\r', size - from) : nullptr;
        m_nextCr = cr ? std::size_t(static_cast<const char*>(cr) - data) : size;
    }
    const std::size_t limit = std::min(m_nextCr, size);
    const void* lf = from < limit ? std::memchr(data + from, '\n', limit - from) : nullptr;
    if (lf)
        return std::size_t(static_cast<const char*>(lf) - data);
    return m_nextCr < size ? m_nextCr : std::string::npos;
}

LineReader::LineReader(std::istream& input, std::size_t chunkSize)
    : m_input(input)
    , m_chunkSize(chunkSize)
{
}

// Appends the next chunk after the unread bytes, which move to the front first,
// so m_pos is 0 afterwards. The buffer keeps its size from chunk to chunk and
// grows only for a line longer than it; growing a string zeroes the new part.
void LineReader::fill()
{
    std::memmove(m_buffer.data(), m_buffer.data() + m_pos, m_end - m_pos);
    m_end -= m_pos;
    m_pos = 0;
    m_nextCr = std::string::npos;
    // Read into the room the buffer has; grow it when that is half a chunk or less.
    if (m_buffer.size() - m_end <= m_chunkSize / 2)
        m_buffer.resize(m_end + m_chunkSize);
    const std::size_t room = m_buffer.size() - m_end;
    m_input.read(m_buffer.data() + m_end, std::streamsize(room));
    const std::size_t got = std::size_t(m_input.gcount());
    m_end += got;
    if (got < room) {
        m_eof = true;
        m_failed = m_input.bad();
    }
}

bool LineReader::next(std::string& line)
{
    std::size_t searched = 0; // bytes after m_pos known to hold no line end
    std::size_t end;
    for (;;) {
        end = lineEnd(m_pos + searched);
        // A CR at the end of the buffer may be the first half of CR LF.
        const bool open = end == std::string::npos || (m_buffer[end] == '\r' && end + 1 == m_end);
        if (!open || m_eof)
            break;
        searched = (end == std::string::npos ? m_end : end) - m_pos;
        fill();
    }
    if (end == std::string::npos) {
        if (m_pos == m_end)
            return false;
        line.assign(m_buffer, m_pos, m_end - m_pos);
        m_pos = m_end;
        return true;
    }
    line.assign(m_buffer, m_pos, end - m_pos);
    m_pos = end + 1;
    if (m_buffer[end] == '\r' && m_pos < m_end && m_buffer[m_pos] == '\n')
        ++m_pos;
    return true;
}

bool LineReader::atEnd()
{
    if (m_pos < m_end)
        return false;
    if (m_eof)
        return true;
    char byte;
    m_input.read(&byte, 1);
    m_failed = m_input.bad();
    return m_input.gcount() == 0;
}
