#pragma once

#include <QByteArray>

class QIODevice;

// Reads a device line by line as raw bytes. A line ends at CR LF, a lone CR or
// a lone LF; the line end is not part of the line, and a last line without one
// is a line like the others. An empty device holds no lines.
class LineReader {
public:
    explicit LineReader(QIODevice& device);

    // True when no further line remains. May read ahead from the device.
    bool atEnd();
    // Puts the next line into `line`, reusing its storage; only valid while !atEnd().
    void readLine(QByteArray& line);
    // Set when the device reported a read error; atEnd() is true from then on.
    bool failed() const { return m_failed; }

private:
    // Where the next line-end byte lies: found ahead of the read position, or -1 with
    // everything up to `scannedTo` known to hold none.
    struct NextByte {
        qsizetype at = -1;
        qsizetype scannedTo = 0;
    };

    bool fill();
    qsizetype nextOf(char byte, NextByte& next);

    QIODevice& m_device;
    QByteArray m_buffer;
    qsizetype m_pos = 0;
    bool m_eof = false;
    bool m_failed = false;
    NextByte m_nextCr;
    NextByte m_nextLf;
};
