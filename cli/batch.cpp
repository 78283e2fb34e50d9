// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch.h"

#include "gsierror.h"
#include "module1.h"
#include "namepattern.h"
#include "shownname.h"
#include "system.h"
#include "systemtext.h"

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
          "Messages are UTF-8. On Windows, paths and messages go to a file or a pipe in\n"
          "UTF-8 and to a console as its own characters; on Linux a path is printed as\n"
          "the bytes of its name.\n"
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

    bool needsQuoting(std::string_view name)
    {
        for (std::size_t i = 0; i < name.size();) {
            if (unshownLength(name.substr(i)))
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
            const std::size_t control = unshownLength(name.substr(i));
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
            const std::size_t control = view[i] == '\n' ? 0 : unshownLength(view.substr(i));
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

    // Returns 0 when the file was converted, else the error's number; its one line is on `err`
    // then.
    int convertOne(const fs::path& path, std::optional<Conversion> forced, bool dryRun,
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
            // A name goes to a pipe or a file exactly as it is, for the program that reads it;
            // a person at a terminal gets it quoted, with -0 too.
            const std::string shown = shownPath(output);
            out.write(
                (isTerminal(out.stream) && needsQuoting(shown) ? terminalQuoted(shown) : shown)
                + pathEnd);
            return 0;
        } catch (const GsiError& error) {
            writeError(err,
                std::string(Program) + ": Fejl " + std::to_string(error.number()) + ": "
                    + error.description() + "\n",
                names);
            return error.number();
        } catch (const std::bad_alloc&) {
            writeError(err,
                std::string(Program) + ": Fejl 7: Der er ikke hukommelse nok til at konvertere "
                    + shownPath(path) + "\n",
                names);
        }
        return GsiError::OutOfMemory;
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
        // A medium that has gone (a pulled stick) is not asked again for every further file of
        // its folder: each is named once, as not converted.
        std::vector<fs::path> goneFolders;
        for (const fs::path& file : files) {
            const fs::path folder = folderOf(file);
            if (std::find(goneFolders.begin(), goneFolders.end(), folder) != goneFolders.end()) {
                writeError(err,
                    std::string(Program) + ": Fejl 68: Enheden er ikke tilgængelig; filen "
                        + shownPath(file) + " er ikke konverteret\n",
                    { shownPath(file) });
                allConverted = false;
                continue;
            }
            const int failed = convertOne(file, forced, dryRun, pathEnd, out, err);
            // The medium that went may be another one, reached through a link: only a folder
            // that no longer answers itself has gone with it.
            std::error_code answer;
            if (failed == GsiError::DeviceUnavailable
                && fs::status(folder, answer).type() != fs::file_type::directory)
                goneFolders.push_back(folder);
            allConverted = failed == 0 && allConverted;
        }
        return allConverted ? AllConverted : SomeFailed;
    }

}

std::string shownOn(std::FILE* stream, std::string text)
{
    return isTerminal(stream) ? forTerminal(std::move(text), {}) : text;
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
                            + SystemText::cause(error ? error : EIO) + "\n"));
        status = std::max<int>(status, SomeFailed);
    }
    return status;
}

}
