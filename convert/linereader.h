#pragma once

#include <istream>
#include <string>

// Reads a stream line by line as raw bytes. A line ends at CR LF, a lone CR or
// a lone LF; the line end is not part of the line, and a last line without one
// is a line like the others. An empty stream holds no lines.
class LineReader {
public:
    explicit LineReader(std::istream& input);

    // Puts the next line into `line`, reusing its storage. False when no line
    // remains, or when the stream failed (see failed()).
    bool next(std::string& line);
    // Set when the stream reported a read error.
    bool failed() const { return m_failed; }

private:
    void fill();
    std::size_t lineEnd(std::size_t from);

    std::istream& m_input;
    std::string m_buffer;
    std::size_t m_pos = 0;
    bool m_eof = false;
    bool m_failed = false;
    std::size_t m_nextCr = std::string::npos; // where the last search found a CR; size() for none
};
