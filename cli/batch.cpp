#include "batch.h"

#include "gsierror.h"
#include "module1.h"
#include "nativename.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <new>
#include <optional>

namespace Batch {

namespace {

    using Module1::Conversion;

    const char* const Program = "sigtelinje-convert";

    const char* const Usage
        = "Usage: sigtelinje-convert [--alignment | --profile] [--dry-run] FILE...\n";

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
          "  --help        show this text\n"
          "  --version     show the version\n"
          "  --            take every later argument as a FILE\n"
          "\n"
          "A file that fails is reported on one line with its error number and description;\n"
          "the other files are still converted. Exit status: 0 when every file was converted,\n"
          "1 when any failed, 2 for a wrong command line.\n";

    // Paths go out as the bytes the file system holds, so that a script can use
    // them even when they are not valid UTF-8.
    void print(std::FILE* to, const QString& text)
    {
        const QByteArray bytes = NativeName::encode(text);
        std::fwrite(bytes.constData(), 1, bytes.size(), to);
    }

    int usageError(std::FILE* err, const QString& message)
    {
        print(err, QStringLiteral("%1: %2\n").arg(QLatin1String(Program), message));
        std::fputs(Usage, err);
        std::fputs("Try 'sigtelinje-convert --help' for more.\n", err);
        return UsageError;
    }

    // The main window's lists: al*.gsi and pr*.gsi, without regard to case.
    std::optional<Conversion> conversionByName(const QString& path)
    {
        const QString name = QFileInfo(path).fileName().toLower();
        if (!name.endsWith(QLatin1String(".gsi")))
            return std::nullopt;
        if (name.startsWith(QLatin1String("al")))
            return Conversion::Alignment;
        if (name.startsWith(QLatin1String("pr")))
            return Conversion::Profile;
        return std::nullopt;
    }

    // Everything a real run does before it writes, so that a dry run meets the
    // same input errors.
    void tryConversion(Conversion kind, const QString& path)
    {
        QFile input;
        errno = 0;
        if (!NativeName::openForReading(input, path))
            throw GsiError::forRead(path, errno);
        const int lineCount = Module1::readLines(kind, input, path);
        input.close();
        Module1::renderLines(kind, lineCount);
    }

    // Returns false when the file failed; its one line is on `err` then.
    bool convertOne(const QString& path, std::optional<Conversion> forced, bool dryRun,
        std::FILE* out, std::FILE* err)
    {
        try {
            const std::optional<Conversion> kind = forced ? forced : conversionByName(path);
            if (!kind)
                throw GsiError(BadFileName,
                    QStringLiteral("Filen %1 er hverken en al*.gsi- eller en pr*.gsi-fil; "
                                   "vælg --alignment eller --profile")
                        .arg(QDir::toNativeSeparators(path)));
            if (dryRun) {
                tryConversion(*kind, path);
                print(out, QDir::toNativeSeparators(Module1::outputPathFor(path, *kind)) + u'\n');
            } else {
                Module1::InputPath = path;
                Module1::convertFile(*kind);
                print(out, QDir::toNativeSeparators(Module1::OutputPath) + u'\n');
            }
            return true;
        } catch (const GsiError& error) {
            print(err,
                QStringLiteral("%1: Fejl %2: %3\n")
                    .arg(QLatin1String(Program))
                    .arg(error.number())
                    .arg(error.description()));
        } catch (const std::bad_alloc&) {
            print(err,
                QStringLiteral("%1: Fejl 7: Der er ikke hukommelse nok til at konvertere %2\n")
                    .arg(QLatin1String(Program), QDir::toNativeSeparators(path)));
        }
        return false;
    }

}

int run(const QStringList& arguments, std::FILE* out, std::FILE* err)
{
    std::optional<Conversion> forced;
    bool dryRun = false;
    bool optionsEnded = false;
    QStringList files;
    for (const QString& argument : arguments) {
        if (optionsEnded || !argument.startsWith(u'-') || argument == QLatin1String("-")) {
            files += argument;
        } else if (argument == QLatin1String("--")) {
            optionsEnded = true;
        } else if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            std::fputs(Usage, out);
            std::fputs("\n", out);
            std::fputs(Help, out);
            return AllConverted;
        } else if (argument == QLatin1String("--version")) {
            std::fputs("sigtelinje-convert " SIGTELINJE_VERSION "\n", out);
            return AllConverted;
        } else if (argument == QLatin1String("--alignment")
            || argument == QLatin1String("--profile")) {
            const Conversion kind = argument == QLatin1String("--alignment") ? Conversion::Alignment
                                                                             : Conversion::Profile;
            if (forced && *forced != kind)
                return usageError(
                    err, QStringLiteral("--alignment and --profile exclude each other"));
            forced = kind;
        } else if (argument == QLatin1String("--dry-run")) {
            dryRun = true;
        } else {
            return usageError(err, QStringLiteral("unknown option %1").arg(argument));
        }
    }
    if (files.isEmpty())
        return usageError(err, QStringLiteral("no FILE given"));

    bool allConverted = true;
    for (const QString& file : files)
        allConverted = convertOne(file, forced, dryRun, out, err) && allConverted;
    return allConverted ? AllConverted : SomeFailed;
}

}
