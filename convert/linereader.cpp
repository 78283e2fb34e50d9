#include "linereader.h"

#include <algorithm>
#include <cstring>

namespace {

// Read in chunks, so that a file much larger than the line limit allows is
// refused without being held in memory whole.
constexpr std::size_t ChunkSize = 4 * 1024;
}

// The first CR or LF at or after `from`, or npos. memchr does the scanning; the
// search for a CR is remembered, so a file with LF ends is not scanned to the
// end of the buffer for a CR on every line.
std::size_t LineReader::lineEnd(std::size_t from)
{
    const char* data = m_buffer.data();
    const std::size_t size = m_buffer.size();
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

LineReader::LineReader(std::istream& input)
    : m_input(input)
{
}

// Appends the next chunk to the buffer after dropping what has been consumed,
// so m_pos is 0 afterwards.
void LineReader::fill()
{
    m_buffer.erase(0, m_pos);
    m_pos = 0;
    m_nextCr = std::string::npos;
    const std::size_t old = m_buffer.size();
    m_buffer.resize(old + ChunkSize);
    m_input.read(m_buffer.data() + old, ChunkSize);
    const std::size_t got = std::size_t(m_input.gcount());
    m_buffer.resize(old + got);
    if (got < ChunkSize) {
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
        const bool open
            = end == std::string::npos || (m_buffer[end] == '\r' && end + 1 == m_buffer.size());
        if (!open || m_eof)
            break;
        searched = (end == std::string::npos ? m_buffer.size() : end) - m_pos;
        fill();
    }
    if (end == std::string::npos) {
        if (m_pos == m_buffer.size())
            return false;
        line.assign(m_buffer, m_pos);
        m_pos = m_buffer.size();
        return true;
    }
    line.assign(m_buffer, m_pos, end - m_pos);
    m_pos = end + 1;
    if (m_buffer[end] == '\r' && m_pos < m_buffer.size() && m_buffer[m_pos] == '\n')
        ++m_pos;
    return true;
}
