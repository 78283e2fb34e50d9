// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Sets sigtelinje-convert beside what a user would do instead: the same
// conversions as a gawk script (gsiconvert.awk) and, as the floor, a plain cp of
// the file. Every command is started as its own process, the way a shell or a
// script starts it, and timed from spawn to exit; the table shows medians of
// interleaved rounds, so that a burst of load hits all commands alike.
//
// Usage: sigtelinje-compare CONVERTER AWK_SCRIPT [ROUNDS]
// The files go to /dev/shm when there is one: the converter makes each output
// durable before it replaces the old one, and on a disk that flush measures the
// disk, not the program; the last rows show what it costs on the build's disk.

#include "benchfiles.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <functional>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

using namespace BenchFiles;

namespace {

struct Command {
    std::vector<std::string> argv;
    std::string output = "/dev/null"; // where standard output goes
};

std::vector<std::string> environment;

double nowMs()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// Runs one command to its end; false when it could not start or did not exit 0.
bool run(const Command& command)
{
    std::vector<char*> argv;
    for (const std::string& a : command.argv)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const std::string& e : environment)
        envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(
        &actions, 1, command.output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid;
    const int started = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (started != 0)
        return false;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid)
        return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

double timed(const std::vector<Command>& commands)
{
    const double start = nowMs();
    for (const Command& command : commands) {
        if (!run(command)) {
            std::fprintf(stderr, "sigtelinje-compare: %s failed\n", command.argv.front().c_str());
            std::exit(1);
        }
    }
    return nowMs() - start;
}

QByteArray read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

std::string local(const QString& path) { return QFile::encodeName(path).toStdString(); }

// One run of a command on a hostile input: how long it took, the most memory it
// held, and how it ended.
struct Guarded {
    double ms = 0;
    double peakMB = 0;
    int exitCode = -1;
};

Guarded guarded(const Command& command)
{
    std::vector<char*> argv;
    for (const std::string& a : command.argv)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    // posix_spawn shares this process's memory until the exec, and the kernel
    // counts its peak as the child's: reset it to what is in use now.
    if (std::FILE* peak = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", peak);
        std::fclose(peak);
    }
    Guarded result;
    const double start = nowMs();
    pid_t pid;
    const int started = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    rusage usage {};
    if (started != 0 || wait4(pid, &status, 0, &usage) != pid)
        return result;
    result.ms = nowMs() - start;
    result.peakMB = usage.ru_maxrss / 1024.0;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

// Inputs meant to exhaust the converter: each must end at once, or within the
// memory the size limit allows.
void measureHostileInputs(const QTemporaryDir& folder, const std::string& converter)
{
    const QString tail = folder.filePath(QStringLiteral("al-tail.gsi"));
    const QString huge = folder.filePath(QStringLiteral("al-huge.gsi"));
    const QString line = folder.filePath(QStringLiteral("al-line.gsi"));
    const QByteArray lines = QByteArray("*11....+0000000000001250 \r\n").repeated(1000);
    // 1000 lines, then 60 MB: under the size limit, so only the line limit stops it.
    write(tail, lines + QByteArray(60 * 1024 * 1024, '8'));
    // 1000 lines, then 1 GiB: sparse, as large as a file gets from a copy gone wrong.
    write(huge, lines);
    QFile::resize(huge, lines.size() + (qint64(1) << 30));
    // One line exactly as large as the limit allows: the most a file may cost.
    write(line, '*' + QByteArray(64 * 1024 * 1024 - 1, '8'));

    struct HostileRow {
        const char* what;
        QString file;
        int exitCode;
        const char* target;
    };
    std::printf("\nHostile inputs (one run each; the size limit is 64 MB)\n\n");
    std::printf("| %-40s | %8s | %8s | %-22s |\n", "input", "ms", "peak MB", "target");
    std::printf("|%s|%s|%s|%s|\n", std::string(42, '-').c_str(), std::string(10, '-').c_str(),
        std::string(10, '-').c_str(), std::string(24, '-').c_str());
    for (const HostileRow& row : {
             HostileRow { "1000 lines, then 60 MB (error 9)", tail, 1, "< 100 ms, < 50 MB" },
             HostileRow { "1000 lines, then 1 GiB (error 7)", huge, 1, "< 100 ms, < 50 MB" },
             HostileRow { "one line of 64 MB (converted)", line, 0, "< 192 MB (3x limit)" },
         }) {
        const Guarded run = guarded(Command { { converter, local(row.file) } });
        std::printf("| %-40s | %8.1f | %8.1f | %-22s |%s\n", row.what, run.ms, run.peakMB,
            row.target, run.exitCode == row.exitCode ? "" : " (ended unexpectedly)");
    }
}

struct Case {
    std::string awk; // the script's path
    std::string converter;

    Command gawk(const QString& input, const char* kind, const QString& output) const
    {
        return { { "gawk", "-b", "-v", std::string("kind=") + kind, "-f", awk, local(input) },
            local(output) };
    }
    Command convert(const QStringList& inputs) const
    {
        Command c { { converter } };
        for (const QString& input : inputs)
            c.argv.push_back(local(input));
        return c;
    }
};

// A folder of 100 files, half alignment and half profile.
QStringList batchIn(const QString& folder)
{
    QDir().mkpath(folder);
    QStringList files;
    for (int i = 0; i < 100; ++i) {
        const bool alignment = i % 2 == 0;
        const QString path = folder
            + QStringLiteral("/%1%2.gsi")
                  .arg(QLatin1String(alignment ? "al" : "pr"))
                  .arg(i, 3, 10, QLatin1Char('0'));
        write(path, alignment ? alignmentFile() : profileFile());
        files += path;
    }
    return files;
}

std::vector<Command> gawkCalls(const Case& c, const QStringList& files)
{
    std::vector<Command> calls;
    for (const QString& f : files) {
        const bool alignment = QFileInfo(f).fileName().startsWith(QLatin1String("al"));
        calls.push_back(c.gawk(f, alignment ? "alignment" : "profile", f + QStringLiteral(".awk")));
    }
    return calls;
}

// The gawk script must write what the converter writes, byte for byte.
bool sameBytes(const QStringList& files)
{
    bool same = true;
    for (const QString& f : files) {
        const bool alignment = QFileInfo(f).fileName().startsWith(QLatin1String("al"));
        const QString converted = f.chopped(4) + QLatin1String(alignment ? "PI.gsi" : "VPI.gsi");
        const QByteArray a = read(converted);
        if (a.isEmpty() || a != read(f + QStringLiteral(".awk"))) {
            std::fprintf(stderr, "sigtelinje-compare: gawk and sigtelinje-convert differ on %s\n",
                qPrintable(f));
            same = false;
        }
    }
    return same;
}

struct Row {
    Row(const char* what, std::vector<Command> commands)
        : what(what)
        , commands(std::move(commands))
    {
    }
    const char* what;
    std::vector<Command> commands;
    std::vector<double> times;
    double median() const
    {
        std::vector<double> t = times;
        std::sort(t.begin(), t.end());
        return t[t.size() / 2];
    }
};

// Interleaved rounds: each round runs every row once, in turn.
void measure(std::vector<Row*> rows, int rounds)
{
    for (Row* row : rows)
        timed(row->commands); // warm the page cache and the dynamic loader
    for (int r = 0; r < rounds; ++r)
        for (Row* row : rows)
            row->times.push_back(timed(row->commands));
}

}

int main(int argc, char* argv[])
{
    if (argc < 3) {
        std::fputs("usage: sigtelinje-compare CONVERTER AWK_SCRIPT [ROUNDS]\n", stderr);
        return 2;
    }
    const int rounds = argc > 3 ? std::max(3, std::atoi(argv[3])) : 101;
    for (char** e = environ; *e; ++e) {
        if (std::strncmp(*e, "LC_", 3) != 0 && std::strncmp(*e, "LANG=", 5) != 0)
            environment.push_back(*e);
    }
    // Byte semantics for gawk; the converter works on bytes whatever the locale.
    environment.push_back("LC_ALL=C");

    const Case c { QFileInfo(QString::fromLocal8Bit(argv[2])).absoluteFilePath().toStdString(),
        QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath().toStdString() };
    const bool shm = QFileInfo(QStringLiteral("/dev/shm")).isWritable();
    QTemporaryDir memory(shm ? QStringLiteral("/dev/shm/sigtelinje-compare-XXXXXX")
                             : QDir::tempPath() + QStringLiteral("/sigtelinje-compare-XXXXXX"));
    QTemporaryDir disk(QFileInfo(QString::fromLocal8Bit(argv[1])).absolutePath()
        + QStringLiteral("/sigtelinje-compare-XXXXXX"));
    if (!memory.isValid() || !disk.isValid()) {
        std::fputs("sigtelinje-compare: cannot make the work folders\n", stderr);
        return 1;
    }

    const QString al = memory.filePath(QStringLiteral("al1000.gsi"));
    const QString pr = memory.filePath(QStringLiteral("pr1000.gsi"));
    write(al, alignmentFile());
    write(pr, profileFile());
    const QStringList batch = batchIn(memory.filePath(QStringLiteral("batch")));
    const QStringList diskBatch = batchIn(disk.filePath(QStringLiteral("batch")));

    // Identical bytes first; timing something else would be no comparison.
    timed({ c.convert({ al, pr }), c.gawk(al, "alignment", al + QStringLiteral(".awk")),
        c.gawk(pr, "profile", pr + QStringLiteral(".awk")) });
    timed({ c.convert(batch) });
    timed(gawkCalls(c, batch));
    if (!sameBytes({ al, pr }) || !sameBytes(batch))
        return 1;

    Row cp { "cp of the alignment file",
        { { { "cp", local(al), local(al + QStringLiteral(".copy")) } } } };
    Row start { "sigtelinje-convert --version (start-up alone)",
        { { { c.converter, "--version" } } } };
    Row gawkStart { "gawk 'BEGIN {}' (start-up alone)", { { { "gawk", "BEGIN {}" } } } };
    Row gawkAl { "gawk, 1000-line alignment file",
        { c.gawk(al, "alignment", al + QStringLiteral(".awk")) } };
    Row convertAl { "sigtelinje-convert, 1000-line alignment file", { c.convert({ al }) } };
    Row gawkPr { "gawk, 1000-line profile file",
        { c.gawk(pr, "profile", pr + QStringLiteral(".awk")) } };
    Row convertPr { "sigtelinje-convert, 1000-line profile file", { c.convert({ pr }) } };
    measure({ &cp, &start, &gawkStart, &gawkAl, &convertAl, &gawkPr, &convertPr }, rounds);

    const int batchRounds = std::max(3, rounds / 5);
    Row gawk100 { "100 gawk calls, one file each", gawkCalls(c, batch) };
    Row convert100 { "1 sigtelinje-convert call, 100 files", { c.convert(batch) } };
    measure({ &gawk100, &convert100 }, batchRounds);
    Row diskGawk100 { "  on the build's disk: 100 gawk calls", gawkCalls(c, diskBatch) };
    Row diskConvert100 { "  on the build's disk: 1 call, 100 files", { c.convert(diskBatch) } };
    measure({ &diskGawk100, &diskConvert100 }, batchRounds);

    const double floor = cp.median();
    std::printf("\nsigtelinje-convert against gawk and cp (files in %s; medians of %d rounds, "
                "%d for the batches)\n\n",
        shm ? "/dev/shm" : qPrintable(QDir::tempPath()), rounds, batchRounds);
    std::printf("| %-46s | %9s | %7s |\n", "command", "median ms", "x cp");
    std::printf("|%s|%s|%s|\n", std::string(48, '-').c_str(), std::string(11, '-').c_str(),
        std::string(9, '-').c_str());
    for (const Row* row : { &cp, &start, &gawkStart, &gawkAl, &convertAl, &gawkPr, &convertPr,
             &gawk100, &convert100, &diskGawk100, &diskConvert100 })
        std::printf("| %-46s | %9.3f | %7.2f |\n", row->what, row->median(), row->median() / floor);

    const double alRatio = convertAl.median() / gawkAl.median();
    const double prRatio = convertPr.median() / gawkPr.median();
    const double batchRatio = gawk100.median() / convert100.median();
    const double diskRatio = diskGawk100.median() / diskConvert100.median();
    std::printf("\n| %-56s | %7s | %-8s |\n", "ratio", "value", "target");
    std::printf("|%s|%s|%s|\n", std::string(58, '-').c_str(), std::string(9, '-').c_str(),
        std::string(10, '-').c_str());
    std::printf("| %-56s | %7.2f | %-8s |\n", "alignment file: sigtelinje-convert / gawk", alRatio,
        "<= 0.7");
    std::printf(
        "| %-56s | %7.2f | %-8s |\n", "profile file: sigtelinje-convert / gawk", prRatio, "<= 0.7");
    std::printf("| %-56s | %7.2f | %-8s |\n", "start-up: sigtelinje-convert --version / cp",
        start.median() / floor, "<= 1.3");
    std::printf("| %-56s | %7.1f | %-8s |\n",
        "100 files: 100 gawk calls / 1 sigtelinje-convert call", batchRatio, ">= 15");
    std::printf("| %-56s | %7.1f | %-8s |\n", "  the same on the build's disk", diskRatio, "");

    measureHostileInputs(memory, c.converter);
    return 0;
}
