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

    bool is(const fs::path& argument, const char* text)
    {
        return argument.native() == fs::path(text).native();
    }

    int usageError(std::FILE* err, const std::string& message)
    {
        writeText(err, std::string(Program) + ": " + message + "\n");
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
        char pathEnd, std::FILE* out, std::FILE* err)
    {
        try {
            const std::optional<Conversion> kind = forced ? forced : conversionByName(path);
            if (!kind)
                throw GsiError(GsiError::BadFileName,
                    "Filen " + shownPath(path)
                        + " er hverken en al*.gsi- eller en pr*.gsi-fil; "
                          "vælg --alignment eller --profile");
            const fs::path output
                = dryRun ? Module1::tryConversion(*kind, path) : Module1::convertFile(*kind, path);
            writeText(out, shownPath(output) + pathEnd);
            return true;
        } catch (const GsiError& error) {
            writeText(err,
                std::string(Program) + ": Fejl " + std::to_string(error.number()) + ": "
                    + error.description() + "\n");
        } catch (const std::bad_alloc&) {
            writeText(err,
                std::string(Program) + ": Fejl 7: Der er ikke hukommelse nok til at konvertere "
                    + shownPath(path) + "\n");
        }
        return false;
    }

    int runCommandLine(const std::vector<fs::path>& arguments, std::FILE* out, std::FILE* err)
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
                std::fputs(Usage, out);
                std::fputs("\n", out);
                std::fputs(Help, out);
                return AllConverted;
            } else if (is(argument, "--version")) {
                std::fputs("sigtelinje-convert " SIGTELINJE_VERSION "\n", out);
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

int run(const std::vector<fs::path>& arguments, std::FILE* out, std::FILE* err)
{
    int status = runCommandLine(arguments, out, err);
    // A script that reads the paths must not take a full disk or a closed pipe
    // for success.
    errno = 0;
    if (std::fflush(out) != 0 || std::ferror(out)) {
        const int error = errno;
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
