#include "module1.h"

#include "gsierror.h"
#include "linereader.h"
#include "nativename.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <initializer_list>

namespace Module1 {

QString InputPath;
QString OutputPath;
Table LineTable;
Table HeadColumn;
Table TailColumn;
Table Word82Column;
Table Word81Column;

namespace {

    std::function<void()> reopenMainWindow;

    constexpr QByteArrayView DropMark = "74....";
    constexpr QByteArrayView CoordinateMark = "82..10-";
    constexpr QByteArrayView Word82Start = " 82..10+";
    constexpr QByteArrayView Word81StartMinus = "81..10-";
    constexpr QByteArrayView Word81StartPlus = "81..10+";
    constexpr QByteArrayView StraightMark = "71....+00000000STRAIGHT";
    constexpr QByteArrayView LineEnd = "\r\n";

    // n characters from column s (counted from 1); fewer or none on a short line.
    QByteArrayView cut(QByteArrayView line, qsizetype column, qsizetype n)
    {
        const qsizetype from = column - 1;
        if (from >= line.size())
            return {};
        return line.sliced(from, std::min(n, line.size() - from));
    }

    // A fixed text to look for. GSI lines are mostly digits, dots and zeros, so the
    // search jumps with memchr from one occurrence of the text's rarest byte to the
    // next and compares only there.
    class Mark {
    public:
        Mark(QByteArrayView text)
            : m_text(text)
            , m_anchor(rarestByte(text))
        {
        }
        // The column of the first occurrence in `line`, or 0.
        qsizetype findIn(QByteArrayView line) const
        {
            const qsizetype length = m_text.size();
            if (line.size() < length)
                return 0;
            const char* begin = line.data();
            const char anchor = m_text[m_anchor];
            const char* from = begin + m_anchor;
            const char* const last = begin + (line.size() - length) + m_anchor;
            while (from <= last) {
                const auto* hit
                    = static_cast<const char*>(std::memchr(from, anchor, last - from + 1));
                if (!hit)
                    return 0;
                const char* start = hit - m_anchor;
                if (std::memcmp(start, m_text.data(), length) == 0)
                    return (start - begin) + 1;
                from = hit + 1;
            }
            return 0;
        }

    private:
        static int rank(char c)
        {
            if (c == '-' || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))
                return 0;
            if (c == '+')
                return 1;
            if (c >= '1' && c <= '9')
                return 2;
            if (c == '.')
                return 3;
            return 4;
        }
        static qsizetype rarestByte(QByteArrayView text)
        {
            qsizetype best = 0;
            for (qsizetype i = 1; i < text.size(); ++i) {
                if (rank(text[i]) < rank(text[best]))
                    best = i;
            }
            return best;
        }

        QByteArrayView m_text;
        qsizetype m_anchor;
    };

    const Mark DropSearch(DropMark);
    const Mark CoordinateSearch(CoordinateMark);
    const Mark StraightSearch(StraightMark);

    char columnAt(QByteArrayView line, qsizetype column)
    {
        return column <= line.size() ? line.at(column - 1) : '\0';
    }

    // Sets a slot to the pieces back to back in the slot's own storage: the tables
    // live for the whole run, so once they have grown, a line costs no allocation.
    void fill(QByteArray& slot, std::initializer_list<QByteArrayView> pieces)
    {
        qsizetype size = 0;
        for (const QByteArrayView piece : pieces)
            size += piece.size();
        // Exactly what the slot needs: growing would round up to a power of two,
        // and in a short run every page of table memory touched costs a fault.
        if (slot.capacity() < size)
            slot.reserve(size);
        slot.resize(size);
        char* to = slot.data();
        for (const QByteArrayView piece : pieces) {
            if (!piece.isEmpty())
                std::memcpy(to, piece.data(), piece.size());
            to += piece.size();
        }
    }

    void alignmentColumns(int i)
    {
        const QByteArrayView line = LineTable[i];
        const qsizetype p = CoordinateSearch.findIn(line);

        if (p >= 1) {
            fill(Word82Column[i], { Word82Start, cut(line, 105, 16) });
            fill(Word81Column[i],
                { p > 1 ? Word81StartMinus : Word81StartPlus, cut(line, 129, 16) });
        } else {
            fill(Word82Column[i], { cut(line, 105, 16) });
            fill(Word81Column[i], { cut(line, 129, 16) });
        }
        fill(HeadColumn[i], { cut(line, 1, 55) });

        if (p == 0) {
            fill(TailColumn[i], { cut(line, 56, 41) });
            return;
        }
        const char sign = columnAt(line, 56);
        // The straight mark wins over the sign; it is looked for only where it matters.
        if (p > 1 && (sign == '-' || StraightSearch.findIn(line) > 0))
            fill(TailColumn[i], { "+", cut(line, 57, 41) });
        else if (p > 1 && sign == '+')
            fill(TailColumn[i], { "-", cut(line, 57, 41) });
        else
            // A mark at column 1, or no sign and no straight mark: the line keeps its own
            // columns 56 to 97, so the layout holds and nothing of another file leaks in.
            fill(TailColumn[i], { cut(line, 56, 42) });
    }

    void profileColumns(int i)
    {
        const QByteArrayView line = LineTable[i];
        fill(HeadColumn[i], { cut(line, 1, 55) });
        fill(TailColumn[i], { cut(line, 57, 40) });
    }

}

QString outputPathFor(const QString& inputPath, Conversion kind)
{
    return inputPath.chopped(std::min<qsizetype>(4, inputPath.size()))
        + (kind == Conversion::Alignment ? QStringLiteral("PI.gsi") : QStringLiteral("VPI.gsi"));
}

QString inputPathFor(const QString& folder, const QString& name)
{
    return QDir::toNativeSeparators(folder) + QDir::separator() + name;
}

int readLines(Conversion kind, QIODevice& input, const QString& inputName)
{
    LineReader reader(input);
    int lineCount = 0;
    while (!reader.atEnd()) {
        ++lineCount;
        if (lineCount > MaxLines)
            throw GsiError(GsiError::SubscriptOutOfRange,
                QStringLiteral("Filen %1 har mere end %2 linjer; der er intet skrevet")
                    .arg(QDir::toNativeSeparators(inputName))
                    .arg(MaxLines));
        reader.readLine(LineTable[lineCount]);
        if (kind == Conversion::Alignment) {
            if (DropSearch.findIn(LineTable[lineCount]) >= 2)
                --lineCount;
        } else {
            profileColumns(lineCount);
        }
    }
    if (reader.failed())
        throw GsiError::forRead(inputName);
    return lineCount;
}

namespace {

    QByteArrayView profileSign(int i)
    {
        const char sign = columnAt(LineTable[i], 56);
        return sign == '-' ? "+" : sign == '+' ? "-" : QByteArrayView();
    }

    // The column pass over lines 2 to lineCount; returns the size of the output.
    qsizetype prepareLines(Conversion kind, int lineCount)
    {
        if (lineCount < 1)
            return 0;
        qsizetype size = LineTable[1].size() + LineEnd.size();
        for (int i = 2; i <= lineCount; ++i) {
            if (kind == Conversion::Alignment) {
                alignmentColumns(i);
                size += HeadColumn[i].size() + TailColumn[i].size() + Word81Column[i].size()
                    + Word82Column[i].size() + 1;
            } else {
                size += HeadColumn[i].size() + profileSign(i).size() + TailColumn[i].size();
            }
            size += LineEnd.size();
        }
        return size;
    }

    // Hands the output of prepared lines to `put`, piece by piece and in order.
    template <typename Put> void emitLines(Conversion kind, int lineCount, Put&& put)
    {
        if (lineCount < 1)
            return;
        put(LineTable[1]);
        put(LineEnd);
        for (int i = 2; i <= lineCount; ++i) {
            put(HeadColumn[i]);
            if (kind == Conversion::Alignment) {
                put(TailColumn[i]);
                put(Word81Column[i]);
                put(Word82Column[i]);
                put(" ");
            } else {
                put(profileSign(i));
                put(TailColumn[i]);
            }
            put(LineEnd);
        }
    }

}

QByteArray renderLines(Conversion kind, int lineCount)
{
    // The column pass first, so that the output's exact size is known and every
    // byte is copied once, straight to its place.
    QByteArray out;
    out.resize(prepareLines(kind, lineCount));
    char* to = out.data();
    emitLines(kind, lineCount, [&to](QByteArrayView piece) {
        if (!piece.isEmpty())
            std::memcpy(to, piece.data(), piece.size());
        to += piece.size();
    });
    Q_ASSERT(to == out.constData() + out.size());
    return out;
}

QByteArray convertBytes(Conversion kind, const QByteArray& input)
{
    QBuffer buffer;
    buffer.setData(input);
    buffer.open(QIODevice::ReadOnly);
    return renderLines(kind, readLines(kind, buffer, QStringLiteral("(hukommelse)")));
}

void convertFile(Conversion kind)
{
    OutputPath = outputPathFor(InputPath, kind);

    QFile input;
    errno = 0;
    if (!NativeName::openForReading(input, InputPath))
        throw GsiError::forRead(InputPath, NativeName::systemError());
    const int lineCount = readLines(kind, input, InputPath);
    input.close();

    const qsizetype size = prepareLines(kind, lineCount);

    // A read-only output is the user's way of keeping a file; respect it even
    // though the folder would let us replace it.
    const bool plain = NativeName::isPlain(OutputPath);
    const QFileInfo existing(OutputPath);
    if (plain ? existing.exists() && !existing.isDir() && !existing.isWritable()
              : NativeName::isReadOnlyFile(OutputPath))
        throw GsiError(GsiError::PermissionDenied,
            QStringLiteral("Filen %1 er skrivebeskyttet")
                .arg(QDir::toNativeSeparators(OutputPath)));

    // QSaveFile cannot reach a name that is not valid UTF-8: it writes a hidden
    // stand-in beside the output instead, which then replaces the output in one step.
    const QString target = plain ? OutputPath
                                 : QFileInfo(OutputPath).path() + QStringLiteral("/.sigtelinje-")
            + QString::number(QCoreApplication::applicationPid()) + QStringLiteral(".tmp");
    QSaveFile output(target);
    errno = 0;
    if (!output.open(QIODevice::WriteOnly))
        throw GsiError::forWrite(OutputPath, NativeName::systemError(), size);
    errno = 0;
    // This Qt's QSaveFile commits even when the last buffered write fails as it
    // closes (a full disk), which would replace the output with a short file;
    // flushing first surfaces that failure here.
    // The output goes out through a small buffer rather than as one block: a block
    // the size of the file would be fresh memory, and in a short run every page
    // touched for the first time costs a fault.
    char buffer[32 * 1024];
    qsizetype used = 0;
    bool writing = true;
    const auto drain = [&] {
        if (writing && used > 0)
            writing = output.write(buffer, used) == used;
        used = 0;
    };
    emitLines(kind, lineCount, [&](QByteArrayView piece) {
        while (!piece.isEmpty()) {
            const qsizetype n = std::min<qsizetype>(piece.size(), qsizetype(sizeof buffer) - used);
            std::memcpy(buffer + used, piece.data(), n);
            used += n;
            piece = piece.sliced(n);
            if (used == qsizetype(sizeof buffer))
                drain();
        }
    });
    drain();
    const bool written = writing && output.flush();
    int writeErrno = written ? 0 : NativeName::systemError();
    if (!written || !output.commit()) {
        if (writeErrno == 0)
            writeErrno = NativeName::systemError();
        output.cancelWriting();
        throw GsiError::forWrite(OutputPath, writeErrno, size);
    }
    if (!plain && !NativeName::replace(target, OutputPath)) {
        const int replaceErrno = errno;
        QFile::remove(target);
        throw GsiError::forWrite(OutputPath, replaceErrno, size);
    }
}

void setMainWindowReopener(std::function<void()> reopen) { reopenMainWindow = std::move(reopen); }

static void convertAndReopen(Conversion kind)
{
    convertFile(kind);
    if (reopenMainWindow)
        reopenMainWindow();
}

void ConvertAlignment() { convertAndReopen(Conversion::Alignment); }
void ConvertProfile() { convertAndReopen(Conversion::Profile); }

}
