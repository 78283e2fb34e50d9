// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch.h"

#include "gsierror.h"
#include "module1.h"
#include "namepattern.h"
#include "system.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <optional>
#include <string>

namespace fs = std::filesystem;

namespace Batch {

namespace {

    using Module1::Conversion;

    const char* const Program = "sigtelinje-convert";

    const char* const Usage
        = "Usage: sigtelinje-convert [--alignment | --profile] [--dry-run] [-0] FILE...\n";

    const char* const Help
        = "Converts GSI-16 alignment and profile files, writing each result beside its input\n"
          "under the name the main window gives it (al17.gsi -> al17PI.gsi, pr17.gsi ->\n"
          "pr17VPI.gsi), and prints each path written.\n"
          "\n"
          "Without an option the name decides: al*.gsi is an alignment file, pr*.gsi a\n"
          "profile file, whatever the case of the letters.\n"
          "\n"
          "  --alignment   convert every FILE as an alignment file\n"
          "  --profile     convert every FILE as a profile file\n"
          "  --dry-run     read and convert, print what would be written, write nothing\n"
          "  -0, --null    end each path printed with a NUL byte, not a newline, for\n"
          "                xargs -0 and other readers of names that may hold a newline\n"
          "  --help        show this text\n"
          "  --version     show the version\n"
          "  --            take every later argument as a FILE\n"
          "\n"
          "Only ordinary files of at most 64 MB are read; a FIFO, a socket or a device is\n"
          "refused at once.\n"
          "\n"
          "A file that fails is reported on one line with its error number and description;\n"
          "the other files are still converted. Exit status: 0 when every file was converted,\n"
          "1 when any failed or the paths could not be printed, 2 for a wrong command line.\n";

    // Standard output, with the first cause of a failed write kept: once a stream has failed,
    // later writes and the final flush no longer say why.
    struct Output {
        std::FILE* stream;
        int firstError = 0;
        bool failed = false;

        void write(std::string_view text)
        {
            errno = 0;
            if (!writeText(stream, text) && !failed) {
                failed = true;
                firstError = errno;
            }
        }
    };

    bool isControl(unsigned char c) { return c < 0x20 || c == 0x7f; }

    // The length of the valid UTF-8 character at the start of `text`, or 0.
    std::size_t characterLength(std::string_view text)
    {
        const auto lead = static_cast<unsigned char>(text[0]);
        const std::size_t length = lead < 0x80 ? 1
            : (lead & 0xE0) == 0xC0            ? 2
            : (lead & 0xF0) == 0xE0            ? 3
            : (lead & 0xF8) == 0xF0            ? 4
                                               : 0;
        if (length == 0 || length > text.size())
            return 0;
        for (std::size_t i = 1; i < length; ++i)
            if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80)
                return 0;
        return length;
    }

    // What a terminal would act on rather than show: control characters, C1 controls and bytes
    // that are no character at all. One byte a time, so each can be written as an escape.
    std::size_t unshownBytes(std::string_view text)
    {
        const std::size_t length = characterLength(text);
        if (length == 0)
            return 1;
        if (length == 1 && isControl(static_cast<unsigned char>(text[0])))
            return 1;
        // U+0080 to U+009F.
        if (length == 2 && static_cast<unsigned char>(text[0]) == 0xC2
            && static_cast<unsigned char>(text[1]) < 0xA0)
            return 2;
        return 0;
    }

    bool needsQuoting(std::string_view name)
    {
        for (std::size_t i = 0; i < name.size();) {
            if (unshownBytes(name.substr(i)))
                return true;
            const std::size_t length = characterLength(name.substr(i));
            i += length ? length : 1;
        }
        return false;
    }

    // A name as `ls` shows it on a terminal: in single quotes, each byte a terminal would act
    // on written as $'\ooo' between them, so the name can be read, and pasted into a shell.
    std::string terminalQuoted(std::string_view name)
    {
        std::string out;
        bool open = false;
        for (std::size_t i = 0; i < name.size();) {
            const std::size_t control = unshownBytes(name.substr(i));
            if (control) {
                if (open)
                    out += '\'';
                open = false;
                out += "$'";
                for (std::size_t j = 0; j < control; ++j) {
                    char escape[8];
                    std::snprintf(escape, sizeof escape, "\\%03o",
                        unsigned(static_cast<unsigned char>(name[i + j])));
                    out += escape;
                }
                out += '\'';
                i += control;
                continue;
            }
            if (!open)
                out += '\'';
            open = true;
            if (name[i] == '\'')
                out += "'\\''";
            else
                out += name[i];
            ++i;
        }
        if (open)
            out += '\'';
        return out;
    }

    // Text for a terminal: each name that holds control characters quoted where it stands, and
    // any control character left (in an argument echoed back) quoted on its own.
    std::string forTerminal(std::string text, const std::vector<std::string>& names)
    {
        for (const std::string& name : names) {
            if (name.empty() || !needsQuoting(name))
                continue;
            const std::string replacement = terminalQuoted(name);
            for (std::size_t at = text.find(name); at != std::string::npos;
                 at = text.find(name, at + replacement.size()))
                text.replace(at, name.size(), replacement);
        }
        std::string safe;
        const std::string_view view = text;
        for (std::size_t i = 0; i < view.size();) {
            const std::size_t control = view[i] == '\n' ? 0 : unshownBytes(view.substr(i));
            const std::size_t length
                = control ? control : std::max<std::size_t>(characterLength(view.substr(i)), 1);
            if (control)
                safe += terminalQuoted(view.substr(i, control));
            else
                safe += view.substr(i, length);
            i += length;
        }
        return safe;
    }

    void writeError(std::FILE* err, std::string text, const std::vector<std::string>& names = {})
    {
        writeText(err, isTerminal(err) ? forTerminal(std::move(text), names) : text);
    }

    bool is(const fs::path& argument, const char* text)
    {
        return argument.native() == fs::path(text).native();
    }

    int usageError(std::FILE* err, const std::string& message)
    {
        writeError(err, std::string(Program) + ": " + message + "\n");
        std::fputs(Usage, err);
        std::fputs("Try 'sigtelinje-convert --help' for more.\n", err);
        return UsageError;
    }

    // The main window's lists: al*.gsi and pr*.gsi, without regard to case.
    std::optional<Conversion> conversionByName(const fs::path& path)
    {
        using View = std::basic_string_view<fs::path::value_type>;
        const fs::path::string_type name = path.filename().native();
        if (matchesPattern(View(fs::path("al*.gsi").native()), View(name)))
            return Conversion::Alignment;
        if (matchesPattern(View(fs::path("pr*.gsi").native()), View(name)))
            return Conversion::Profile;
        return std::nullopt;
    }

    // Returns false when the file failed; its one line is on `err` then.
    bool convertOne(const fs::path& path, std::optional<Conversion> forced, bool dryRun,
        char pathEnd, Output& out, std::FILE* err)
    {
        const std::vector<std::string> names
            = { shownPath(path), shownPath(Module1::outputPathFor(path, Conversion::Alignment)),
                  shownPath(Module1::outputPathFor(path, Conversion::Profile)) };
        try {
            const std::optional<Conversion> kind = forced ? forced : conversionByName(path);
            if (!kind)
                throw GsiError(GsiError::BadFileName,
                    "Filen " + shownPath(path)
                        + " er hverken en al*.gsi- eller en pr*.gsi-fil; "
                          "vælg --alignment eller --profile");
            const Module1::Result result = Module1::convertFile(
                *kind, path, dryRun ? Module1::Mode::DryRun : Module1::Mode::Write);
            if (!result.ok())
                throw GsiError(result.error, result.description);
            const fs::path& output = result.output;
            // A name goes to a pipe, a file or through -0 exactly as it is, for the program
            // that reads it; only a person at a terminal gets it quoted.
            const std::string shown = shownPath(output);
            out.write((pathEnd == '\n' && isTerminal(out.stream) && needsQuoting(shown)
                              ? terminalQuoted(shown)
                              : shown)
                + pathEnd);
            return true;
        } catch (const GsiError& error) {
            writeError(err,
                std::string(Program) + ": Fejl " + std::to_string(error.number()) + ": "
                    + error.description() + "\n",
                names);
        } catch (const std::bad_alloc&) {
            writeError(err,
                std::string(Program) + ": Fejl 7: Der er ikke hukommelse nok til at konvertere "
                    + shownPath(path) + "\n",
                names);
        }
        return false;
    }

    int runCommandLine(const std::vector<fs::path>& arguments, Output& out, std::FILE* err)
    {
        std::optional<Conversion> forced;
        bool dryRun = false;
        char pathEnd = '\n';
        bool optionsEnded = false;
        std::vector<fs::path> files;
        for (const fs::path& argument : arguments) {
            const bool option
                = !argument.empty() && argument.native()[0] == '-' && !is(argument, "-");
            if (optionsEnded || !option) {
                files.push_back(argument);
            } else if (is(argument, "--")) {
                optionsEnded = true;
            } else if (is(argument, "--help") || is(argument, "-h")) {
                out.write(Usage);
                out.write("\n");
                out.write(Help);
                return AllConverted;
            } else if (is(argument, "--version")) {
                out.write("sigtelinje-convert " SIGTELINJE_VERSION "\n");
                return AllConverted;
            } else if (is(argument, "--alignment") || is(argument, "--profile")) {
                const Conversion kind
                    = is(argument, "--alignment") ? Conversion::Alignment : Conversion::Profile;
                if (forced && *forced != kind)
                    return usageError(err, "--alignment and --profile exclude each other");
                forced = kind;
            } else if (is(argument, "--dry-run")) {
                dryRun = true;
            } else if (is(argument, "-0") || is(argument, "--null")) {
                pathEnd = '\0';
            } else {
                return usageError(err, "unknown option " + shownPath(argument));
            }
        }
        if (files.empty())
            return usageError(err, "no FILE given");

        bool allConverted = true;
        for (const fs::path& file : files)
            allConverted = convertOne(file, forced, dryRun, pathEnd, out, err) && allConverted;
        return allConverted ? AllConverted : SomeFailed;
    }

}

int run(const std::vector<fs::path>& arguments, std::FILE* stream, std::FILE* err)
{
    Output out { stream };
    int status = runCommandLine(arguments, out, err);
    // A script that reads the paths must not take a full disk or a closed pipe
    // for success.
    errno = 0;
    const bool flushed = std::fflush(stream) == 0;
    if (!flushed && !out.failed) {
        out.failed = true;
        out.firstError = errno;
    }
    if (out.failed || std::ferror(stream)) {
        const int error = out.firstError;
        writeText(err,
            std::string(Program)
                + (error == ENOSPC
                        ? ": Fejl 61: Disken er fuld; standard output kunne ikke skrives\n"
                        : ": Fejl 57: Standard output kunne ikke skrives: "
                            + std::string(std::strerror(error ? error : EIO)) + "\n"));
        status = std::max<int>(status, SomeFailed);
    }
    return status;
}

}
