// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <istream>
#include <string>

// Reads a stream line by line as raw bytes. A line ends at CR LF, a lone CR or
// a lone LF; the line end is not part of the line, and a last line without one
// is a line like the others. An empty stream holds no lines.
class LineReader {
public:
    // The stream is read in chunks, so that a file much larger than the line limit
    // allows is refused without being held in memory whole.
    static constexpr std::size_t DefaultChunkSize = 64 * 1024;
    explicit LineReader(std::istream& input, std::size_t chunkSize = DefaultChunkSize);

    // Puts the next line into `line`, reusing its storage. False when no line
    // remains, or when the stream failed (see failed()).
    bool next(std::string& line);
    // True when no byte is left after the lines read so far. Reads one byte at
    // most to find out, so that a file is not read on past a limit.
    bool atEnd();
    // Set when the stream reported a read error.
    bool failed() const { return m_failed; }

private:
    void fill();
    std::size_t lineEnd(std::size_t from);

    std::istream& m_input;
    std::size_t m_chunkSize;
    std::string m_buffer;
    std::size_t m_pos = 0; // the next unread byte
    std::size_t m_end = 0; // the end of what has been read into m_buffer
    bool m_eof = false;
    bool m_failed = false;
    std::size_t m_nextCr = std::string::npos; // where the last search found a CR; size() for none
};
