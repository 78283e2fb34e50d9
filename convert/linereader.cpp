#include "linereader.h"

#include <QIODevice>

#include <cstring>

namespace {
constexpr qint64 ChunkSize = 256 * 1024;

qsizetype findLineEnd(const char* data, qsizetype from, qsizetype size)
{
    for (qsizetype i = from; i < size; ++i) {
        const char c = data[i];
        if (c == '\r' || c == '\n')
            return i;
    }
    return -1;
}

void assign(QByteArray& to, const char* data, qsizetype size)
{
    to.resize(0);
    to.append(data, size);
}
}

LineReader::LineReader(QIODevice& device)
    : m_device(device)
{
}

// Appends the next chunk of the device to the buffer, dropping what has been
// consumed. Returns false when nothing more can be read.
bool LineReader::fill()
{
    if (m_eof)
        return false;
    if (m_pos > 0) {
        m_buffer.remove(0, m_pos);
        m_pos = 0;
    }
    const qsizetype old = m_buffer.size();
    m_buffer.resize(old + ChunkSize);
    const qint64 got = m_device.read(m_buffer.data() + old, ChunkSize);
    if (got <= 0) {
        m_buffer.resize(old);
        m_eof = true;
        if (got < 0)
            m_failed = true;
        return false;
    }
    m_buffer.resize(old + got);
    return true;
}

bool LineReader::atEnd()
{
    if (m_failed)
        return true;
    while (m_pos >= m_buffer.size()) {
        if (!fill())
            return true;
    }
    return false;
}

void LineReader::readLine(QByteArray& line)
{
    qsizetype scanned = m_pos;
    for (;;) {
        const qsizetype end = findLineEnd(m_buffer.constData(), scanned, m_buffer.size());
        if (end < 0) {
            scanned = m_buffer.size() - m_pos;
            if (!fill()) {
                assign(line, m_buffer.constData() + m_pos, m_buffer.size() - m_pos);
                m_pos = m_buffer.size();
                return;
            }
            scanned += m_pos;
            continue;
        }
        if (m_buffer.at(end) == '\r' && end + 1 == m_buffer.size()) {
            // A CR at the end of the buffer may be the first half of CR LF.
            const qsizetype offset = end - m_pos;
            fill();
            const qsizetype at = m_pos + offset;
            assign(line, m_buffer.constData() + m_pos, offset);
            m_pos = at + 1;
            if (m_pos < m_buffer.size() && m_buffer.at(m_pos) == '\n')
                ++m_pos;
            return;
        }
        assign(line, m_buffer.constData() + m_pos, end - m_pos);
        m_pos = end + 1;
        if (m_buffer.at(end) == '\r' && m_buffer.at(m_pos) == '\n')
            ++m_pos;
        return;
    }
}
