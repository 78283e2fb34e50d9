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
#include <istream>
#include <streambuf>
#include <vector>

namespace fs = std::filesystem;

namespace Module1 {

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

    // A stream over bytes already in memory, read in place.
    class ViewBuffer : public std::streambuf {
    public:
        explicit ViewBuffer(std::string_view bytes)
        {
            char* begin = const_cast<char*>(bytes.data());
            setg(begin, begin, begin + bytes.size());
        }
    };

    // The kept lines of one file, and for a profile the head and tail of each. Index 0 holds
    // the first kept line, which is copied unchanged.
    struct Workspace {
        std::vector<std::string> lines;
        std::vector<std::string> head;
        std::vector<std::string> tail;
    };

    // Splits `input` into kept lines, applying the drop rule and the 1000-line limit. Throws
    // GsiError 9, naming `inputName`, when more lines remain than the limit takes.
    Workspace readLines(Conversion kind, std::string_view input, const fs::path& inputName)
    {
        ViewBuffer buffer(input);
        std::istream stream(&buffer);
        // All of it in one read: a chunk larger than the input would only be zeroed for nothing.
        LineReader reader(stream, std::min(input.size() + 1, LineReader::DefaultChunkSize));
        Workspace work;
        std::string line;
        for (;;) {
            // The limit is tested before each line is read, whether or not that line
            // would be dropped.
            if (work.lines.size() == std::size_t(MaxLines)) {
                if (!reader.atEnd())
                    throw GsiError(GsiError::SubscriptOutOfRange,
                        "Filen " + shownPath(inputName) + " har mere end "
                            + std::to_string(MaxLines) + " linjer; der er intet skrevet");
                break;
            }
            if (!reader.next(line))
                break;
            if (kind == Conversion::Alignment) {
                if (!Columns::isDropped(line))
                    work.lines.emplace_back(line);
            } else {
                work.lines.emplace_back(line);
                Columns::profileColumns(line, work.head.emplace_back(), work.tail.emplace_back());
            }
        }
        if (reader.failed())
            throw GsiError::forRead(inputName, EIO);
        return work;
    }

    std::string renderLines(Conversion kind, const Workspace& work)
    {
        std::string out;
        const std::size_t lineCount = work.lines.size();
        if (lineCount < 1)
            return out;
        // Every line after the first is at most 145 bytes and its line end, so this is
        // enough to never copy the output while it grows: the first line may be as
        // large as a whole file.
        out.reserve(work.lines[0].size() + lineCount * (145 + LineEnd.size()));
        out += work.lines[0];
        out += LineEnd;
        std::string head, tail, word81, word82;
        for (std::size_t i = 1; i < lineCount; ++i) {
            if (kind == Conversion::Alignment) {
                Columns::alignmentColumns(work.lines[i], head, tail, word81, word82);
                out += head;
                out += tail;
                out += word81;
                out += word82;
                out += ' ';
            } else {
                out += work.head[i];
                out += Columns::profileSign(work.lines[i]);
                out += work.tail[i];
            }
            out += LineEnd;
        }
        return out;
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

std::string convertBytes(Conversion kind, std::string_view input)
{
    return renderLines(kind, readLines(kind, input, "(hukommelse)"));
}

Result convertFile(Conversion kind, const fs::path& input, Mode mode)
{
    Result result;
    try {
        const fs::path output = outputPathFor(longName(input), kind);
        checkOutputStaysBeside(input, output);
        // One folder, opened once: the output lands where the input was read, whatever is
        // renamed meanwhile.
        const HeldFolder folder(input, false);
        InputFile file(folder, input, MaxInputBytes);
        const std::string bytes = renderLines(kind, readLines(kind, file.readAll(), input));
        if (mode == Mode::Write) {
            OutputFile written(folder, output, file.origin());
            written.write(bytes);
            written.commit();
        }
        result.output = output;
    } catch (const GsiError& error) {
        result.error = error.number();
        result.description = error.description();
    } catch (const std::bad_alloc&) {
        result.error = GsiError::OutOfMemory;
        result.description = "Der er ikke hukommelse nok til at konvertere " + shownPath(input);
    }
    return result;
}

Result ConvertAlignment(const fs::path& inputPath)
{
    return convertFile(Conversion::Alignment, inputPath);
}

Result ConvertProfile(const fs::path& inputPath)
{
    return convertFile(Conversion::Profile, inputPath);
}

}
