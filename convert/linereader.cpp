#include "linereader.h"

#include <QIODevice>

#include <algorithm>
#include <cstring>

namespace {
// Small, so that reading a file keeps to the same few pages of memory.
constexpr qint64 ChunkSize = 64 * 1024;

// Resizing in place keeps the slot's storage from line to line; a slot that must
// grow gets exactly the line's size.
void assign(QByteArray& to, const char* data, qsizetype size)
{
    if (to.capacity() < size)
        to.reserve(size);
    to.resize(size);
    if (size > 0)
        std::memcpy(to.data(), data, size);
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
        // Moved down by hand: removing from the front would only move the start
        // of the data, and the buffer would creep into fresh memory chunk by chunk.
        const qsizetype left = m_buffer.size() - m_pos;
        std::memmove(m_buffer.data(), m_buffer.constData() + m_pos, size_t(left));
        m_buffer.resize(left);
        for (NextByte* next : { &m_nextCr, &m_nextLf }) {
            next->at = next->at >= m_pos ? next->at - m_pos : -1;
            next->scannedTo = std::max<qsizetype>(0, next->scannedTo - m_pos);
        }
        m_pos = 0;
    }
    const qsizetype old = m_buffer.size();
    if (m_buffer.capacity() < old + ChunkSize)
        m_buffer.reserve(old + 2 * ChunkSize);
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

// Each kind of line end is looked for with memchr and remembered until the read
// position passes it: a file with LF ends is not searched to its end for a CR on
// every line, and the other way round.
qsizetype LineReader::nextOf(char byte, NextByte& next)
{
    if (next.at >= m_pos)
        return next.at;
    const qsizetype from = std::max(m_pos, next.scannedTo);
    const char* data = m_buffer.constData();
    const void* hit = std::memchr(data + from, byte, size_t(m_buffer.size() - from));
    if (hit) {
        next.at = static_cast<const char*>(hit) - data;
        return next.at;
    }
    next.at = -1;
    next.scannedTo = m_buffer.size();
    return m_buffer.size();
}

void LineReader::readLine(QByteArray& line)
{
    for (;;) {
        const qsizetype cr = nextOf('\r', m_nextCr);
        const qsizetype end = std::min(cr, nextOf('\n', m_nextLf));
        // Reading on moves the buffer's content, so the search starts again after it.
        if (end == m_buffer.size()) {
            if (!m_eof) {
                fill();
                continue;
            }
            assign(line, m_buffer.constData() + m_pos, m_buffer.size() - m_pos);
            m_pos = m_buffer.size();
            return;
        }
        // A CR at the end of the buffer may be the first half of CR LF.
        if (end == cr && end + 1 == m_buffer.size() && !m_eof) {
            fill();
            continue;
        }
        assign(line, m_buffer.constData() + m_pos, end - m_pos);
        m_pos = end + 1;
        if (end == cr && m_pos < m_buffer.size() && m_buffer.at(m_pos) == '\n')
            ++m_pos;
        return;
    }
}
