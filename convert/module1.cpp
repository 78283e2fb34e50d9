// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "module1.h"

#include "columns.h"
#include "gsierror.h"
#include "inputfile.h"
#include "linereader.h"
#include "longname.h"
#include "outputfile.h"

#include <algorithm>
#include <cerrno>
#include <sstream>

namespace fs = std::filesystem;

namespace Module1 {

fs::path InputPath;
fs::path OutputPath;
Table LineTable;
Table HeadColumn;
Table TailColumn;
Table Word82Column;
Table Word81Column;

namespace {

    constexpr std::string_view LineEnd = "\r\n";

    // The last n characters of a name, as the user counts them: on Windows a
    // name is UTF-16 already; elsewhere it is bytes, where a UTF-8 character
    // counts as one (two beyond U+FFFF) and any other byte as one.
    template <typename Text> std::size_t lastCharacters(const Text& name, int n)
    {
        if constexpr (sizeof(typename Text::value_type) > 1) {
            return std::min<std::size_t>(name.size(), n);
        } else {
            std::size_t end = name.size();
            while (n > 0 && end > 0) {
                std::size_t start = end - 1;
                while (start > 0 && end - start < 4 && (name[start] & 0xC0) == 0x80)
                    --start;
                const auto lead = static_cast<unsigned char>(name[start]);
                const std::size_t length = lead < 0x80 ? 1
                    : (lead & 0xE0) == 0xC0            ? 2
                    : (lead & 0xF0) == 0xE0            ? 3
                    : (lead & 0xF8) == 0xF0            ? 4
                                                       : 0;
                if (length == end - start && length > 1) {
                    n -= length == 4 ? 2 : 1;
                    end = start;
                } else {
                    --n;
                    --end;
                }
            }
            return name.size() - end;
        }
    }

    fs::path withEnding(const fs::path& input, std::string_view ending)
    {
        fs::path::string_type name = input.native();
        name.resize(name.size() - lastCharacters(name, 4));
        name.append(ending.begin(), ending.end());
        return fs::path(std::move(name));
    }

    struct ReadFile {
        int lineCount;
        FileOrigin origin;
    };

    ReadFile readFile(Conversion kind, const fs::path& input)
    {
        InputFile file(input, MaxInputBytes);
        std::istream stream(&file);
        const int lineCount = readLines(kind, stream, input);
        file.checkComplete();
        return { lineCount, file.origin() };
    }

    void checkOutputStaysBeside(const fs::path& input, const fs::path& output)
    {
        // A name of four characters or fewer after its folder would lose part of
        // the folder's own name, and the output would land elsewhere.
        if (output.parent_path() != input.parent_path())
            throw GsiError(GsiError::BadFileName,
                "Filnavnet " + shownPath(input)
                    + " er for kort: uddatafilen ville ikke ligge i samme mappe");
        // Said before anything is read or written, and by a dry run too.
        OutputFile::checkName(output);
    }

}

fs::path outputPathFor(const fs::path& input, Conversion kind)
{
    return withEnding(input, kind == Conversion::Alignment ? "PI.gsi" : "VPI.gsi");
}

fs::path inputPathFor(const fs::path& folder, const fs::path& name)
{
    fs::path::string_type joined = fs::path(folder).make_preferred().native();
    joined += fs::path::preferred_separator;
    joined += name.native();
    return fs::path(std::move(joined));
}

int readLines(
    Conversion kind, std::istream& input, const fs::path& inputName, std::size_t chunkSize)
{
    LineReader reader(input, chunkSize);
    int lineCount = 0;
    for (;;) {
        // The limit is tested before each line is read, whether or not that line
        // would be dropped.
        if (lineCount == MaxLines) {
            if (!reader.atEnd())
                throw GsiError(GsiError::SubscriptOutOfRange,
                    "Filen " + shownPath(inputName) + " har mere end " + std::to_string(MaxLines)
                        + " linjer; der er intet skrevet");
            break;
        }
        std::string& line = LineTable[lineCount + 1];
        if (!reader.next(line))
            break;
        ++lineCount;
        if (kind == Conversion::Alignment) {
            if (Columns::isDropped(line))
                --lineCount;
        } else {
            Columns::profileColumns(line, HeadColumn[lineCount], TailColumn[lineCount]);
        }
    }
    if (reader.failed())
        throw GsiError::forRead(inputName, EIO);
    return lineCount;
}

std::string renderLines(Conversion kind, int lineCount)
{
    std::string out;
    if (lineCount < 1)
        return out;
    // Every line after the first is at most 145 bytes and its line end, so this is
    // enough to never copy the output while it grows: the first line may be as
    // large as a whole file.
    out.reserve(LineTable[1].size() + std::size_t(lineCount) * (145 + LineEnd.size()));
    out += LineTable[1];
    out += LineEnd;
    for (int i = 2; i <= lineCount; ++i) {
        if (kind == Conversion::Alignment) {
            Columns::alignmentColumns(
                LineTable[i], HeadColumn[i], TailColumn[i], Word81Column[i], Word82Column[i]);
            out += HeadColumn[i];
            out += TailColumn[i];
            out += Word81Column[i];
            out += Word82Column[i];
            out += ' ';
        } else {
            out += HeadColumn[i];
            out += Columns::profileSign(LineTable[i]);
            out += TailColumn[i];
        }
        out += LineEnd;
    }
    return out;
}

std::string convertBytes(Conversion kind, std::string_view input)
{
    std::istringstream stream { std::string(input) };
    // All of it in one read: a chunk larger than the input would only be zeroed for nothing.
    const std::size_t chunk = std::min(input.size() + 1, LineReader::DefaultChunkSize);
    return renderLines(kind, readLines(kind, stream, "(hukommelse)", chunk));
}

fs::path tryConversion(Conversion kind, const fs::path& input)
{
    const fs::path output = outputPathFor(longName(input), kind);
    checkOutputStaysBeside(input, output);
    renderLines(kind, readFile(kind, input).lineCount);
    return output;
}

fs::path convertFile(Conversion kind, const fs::path& input)
{
    const fs::path output = outputPathFor(longName(input), kind);
    checkOutputStaysBeside(input, output);
    const ReadFile read = readFile(kind, input);
    const std::string bytes = renderLines(kind, read.lineCount);
    OutputFile file(output, read.origin);
    file.write(bytes);
    file.commit();
    return output;
}

namespace {
    void convertInputPath(Conversion kind)
    {
        OutputPath = outputPathFor(longName(InputPath), kind);
        convertFile(kind, InputPath);
    }
}

void ConvertAlignment() { convertInputPath(Conversion::Alignment); }
void ConvertProfile() { convertInputPath(Conversion::Profile); }

}
