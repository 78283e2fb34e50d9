// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch.h"
#include "cliplatform.h"
#include "coretest.h"
#include "gsierror.h"
#include "gsisamples.h"
#include "module1.h"
#include "platformtest.h"
#include "system.h"
#include "systemfaults.h"
#include "textlines.h"
#include "traced.h"

#include <QCollator>
#include <QDir>
#include <QOperatingSystemVersion>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>

using Module1::Conversion;
using namespace Qt::StringLiterals;

namespace {

struct Run {
    int exitCode = -1;
    QStringList out;
    QStringList err;
};

// `wrapper`, when given, is the command that starts the converter (setsid -w).
Run convert(const QString& folder, const QStringList& arguments, const QStringList& wrapper = {},
    bool console = true)
{
    QProcess process;
    if (!console)
        CliPlatform::giveNoConsole(process);
    process.setWorkingDirectory(folder);
    QStringList command = wrapper + QStringList { QStringLiteral(CONVERTER) } + arguments;
    process.start(command.takeFirst(), command);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    Run run;
    run.exitCode = process.exitCode();
    run.out = textLines(process.readAllStandardOutput());
    run.err = textLines(process.readAllStandardError());
    return run;
}

// The converter's own code run in this process, in `folder`: for a current folder that a
// started program cannot have, as Wine starts none in a UNC folder.
Run convertHere(const QString& folder, const QStringList& arguments)
{
    const QString start = QDir::currentPath();
    if (!QDir::setCurrent(folder))
        return {};
    std::vector<std::filesystem::path> paths;
    for (const QString& argument : arguments)
        paths.push_back(CoreTest::path(argument));
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    Run run;
    if (out && err)
        run.exitCode = Batch::run(paths, out, err);
    QDir::setCurrent(start);
    const auto readBack = [](std::FILE* file) {
        QByteArray bytes;
        if (!file)
            return bytes;
        std::rewind(file);
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
            bytes.append(buffer, qsizetype(n));
        std::fclose(file);
        return bytes;
    };
    // The files are binary, so lines end in LF here on every system.
    run.out = QString::fromUtf8(readBack(out)).split(u'\n', Qt::SkipEmptyParts);
    run.err = QString::fromUtf8(readBack(err)).split(u'\n', Qt::SkipEmptyParts);
    return run;
}

// What the main window's click writes for the same input: the very function its
// click handlers call, on a copy of the file in a folder of its own.
QByteArray windowConversion(Conversion kind, const QString& name, const QByteArray& input)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    if (!Gsi::writeFile(path, input))
        return "cannot write the copy";
    const Module1::Result result = Module1::convertFile(kind, CoreTest::path(path));
    if (!result.ok())
        return QByteArray::fromStdString(result.description);
    return Gsi::readFile(CoreTest::text(result.output));
}

// The number and description that the main window's message box shows.
QString windowError(Conversion kind, const QString& path)
{
    const Module1::Result result = Module1::convertFile(kind, CoreTest::path(path));
    if (result.ok())
        return QStringLiteral("no error");
    return QStringLiteral("sigtelinje-convert: Fejl %1: %2")
        .arg(result.error)
        .arg(QString::fromStdString(result.description));
}

bool onWindows()
{
    return QOperatingSystemVersion::currentType() == QOperatingSystemVersion::Windows;
}

// Standard output exactly as written, NUL bytes and all; else how the run failed. A program
// that did not start, ran out of time or ended with a Windows status (0xC0000142 for a DLL that
// failed to initialise) leaves standard error empty, so the failure says which it was.
QByteArray rawOutput(const QString& folder, const QStringList& arguments)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    process.start(QStringLiteral(CONVERTER), arguments);
    const bool finished = process.waitForFinished(60000);
    if (finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
        return process.readAllStandardOutput();
    const QString how = !finished ? process.errorString()
        : process.exitStatus() == QProcess::CrashExit
        ? QStringLiteral("crashed, status 0x%1").arg(uint(process.exitCode()), 0, 16)
        : QStringLiteral("exit code %1").arg(process.exitCode());
    return "<failed: " + how.toUtf8() + ": " + process.readAllStandardError() + ">";
}

QByteArray lines(int count, const QByteArray& line)
{
    QByteArray out;
    for (int i = 0; i < count; ++i)
        out += line + "\r\n";
    return out;
}

QByteArray alignmentSample()
{
    return Gsi::crlf({ Gsi::alignmentHeader(), Gsi::coordinateLine(),
        Gsi::line({ Gsi::word("74", "....", '+', "1") }),
        Gsi::coordinateLine(Gsi::word("71", "....", '+', "00000000STRAIGHT"), '+', "0"),
        Gsi::line({ Gsi::word("11", "....", '+', "7") }) });
}

QByteArray profileSample()
{
    const QByteArray l
        = Gsi::line({ Gsi::word("11", "....", '+', "1250"), Gsi::word("83", "..10", '+', "12500"),
            Gsi::word("72", "...0", '-', "4000"), Gsi::word("73", "...0", '+', "0") });
    return Gsi::crlf({ l, l, QByteArray(l).replace("72...0-", "72...0+"), "*short" });
}

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
}

QStringList everything(const QString& folder)
{
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// The converter under strace, which makes the calls named in `strace` fail, wait or be
// interrupted as a sick disk, a busy share or a user at the keyboard would.
Run convertTraced(const QString& folder, const QStringList& strace, const QStringList& arguments)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    process.setProcessEnvironment(environmentForStrace());
    process.start(QStringLiteral("strace"),
        QStringList { "-f", "-o", "/dev/null" } + strace + QStringList { CONVERTER } + arguments);
    Run run;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = textLines(process.readAllStandardOutput());
    for (const QString& line : textLines(process.readAllStandardError()))
        if (!line.contains(QRegularExpression(QStringLiteral("^\\S*strace: "))))
            run.err << line;
    return run;
}

bool haveStrace() { return !QStandardPaths::findExecutable(QStringLiteral("strace")).isEmpty(); }

}

class CliTest : public QObject {
    Q_OBJECT

private slots:
    void writesTheSameBytesAsTheMainWindow_data();
    void writesTheSameBytesAsTheMainWindow();
    void theNameOrAnOptionPicksTheConversion_data();
    void theNameOrAnOptionPicksTheConversion();
    void aFailingFileGivesOneLineWithTheWindowsError_data();
    void aFailingFileGivesOneLineWithTheWindowsError();
    void goodFilesAreConvertedBesideBadOnes();
    void eachPathEndsInANewlineOrANul_data();
    void eachPathEndsInANewlineOrANul();
    void aFailedWriteOfThePathsIsAnError_data();
    void aFailedWriteOfThePathsIsAnError();
    void anInterruptedConversionLeavesNothing_data();
    void anInterruptedConversionLeavesNothing();
    void aSignalTheCallerIgnoresStaysIgnored_data();
    void aSignalTheCallerIgnoresStaysIgnored();
    void aFailingCallGivesItsTrueCauseAndLeavesNothing_data();
    void aFailingCallGivesItsTrueCauseAndLeavesNothing();
    void aSwappedFolderNeverReceivesTheOutput_data();
    void aSwappedFolderNeverReceivesTheOutput();
    void namesAreQuotedOnlyOnATerminal_data();
    void namesAreQuotedOnlyOnATerminal();
    void aWrongCommandLineExitsWithTwoAndWritesNothing_data();
    void aWrongCommandLineExitsWithTwoAndWritesNothing();
    void aDryRunListsTheOutputsAndWritesNothing_data();
    void aDryRunListsTheOutputsAndWritesNothing();
    void helpAndVersionExitWithZero_data();
    void helpAndVersionExitWithZero();
    void namesOutsideUtf8AreConvertedByTheirBytes_data();
    void namesOutsideUtf8AreConvertedByTheirBytes();
    void theBenchmarksGawkScriptWritesTheSameBytes_data();
    void theBenchmarksGawkScriptWritesTheSameBytes();
    void wildcardsExpandToTheMatchingFiles_data();
    void wildcardsExpandToTheMatchingFiles();
    void danishTextReadsRightOnAConsole_data();
    void danishTextReadsRightOnAConsole();
    void outputsLandBesideTheirInputsOnSharesAndLongPaths_data();
    void outputsLandBesideTheirInputsOnSharesAndLongPaths();
    void programsCarryTheirIconVersionAndManifest_data();
    void programsCarryTheirIconVersionAndManifest();
};

void CliTest::writesTheSameBytesAsTheMainWindow_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("kind");

    const int al = int(Conversion::Alignment);
    const int pr = int(Conversion::Profile);
    QTest::newRow("alignment: signs, drops, straight mark") << "al1.gsi" << alignmentSample() << al;
    QTest::newRow("alignment with LF line ends")
        << "al2.gsi" << QByteArray(alignmentSample()).replace("\r\n", "\n") << al;
    QTest::newRow("alignment with CR line ends, last line unended")
        << "al3.gsi" << QByteArray(alignmentSample()).replace("\r\n", "\r").chopped(1) << al;
    QTest::newRow("alignment of exactly 1000 kept lines after dropped ones")
        << "al4.gsi"
        << lines(3, Gsi::line({ Gsi::word("74", "....", '+', "1") }))
            + lines(1000, Gsi::coordinateLine())
        << al;
    QTest::newRow("profile: signs inverted, lines cut") << "pr1.gsi" << profileSample() << pr;
    QTest::newRow("profile with mixed line ends")
        << "pr2.gsi"
        << QByteArray(profileSample()).replace("\r\n*short", "\r*short").replace("\r\n", "\n")
        << pr;
    QTest::newRow("profile of 1000 lines")
        << "pr3.gsi" << lines(1000, profileSample().left(97)) << pr;
    QTest::newRow("an empty profile") << "pr4.gsi" << QByteArray() << pr;
    // One byte more is refused with 52 (aFailingFileGivesOneLineWithTheWindowsError). Windows
    // refuses a path of more than 260 characters first.
    if (!onWindows())
        QTest::newRow("an output name of exactly 255 bytes, the longest the file system holds")
            << "al" + QString(247, 'x') + ".gsi" << alignmentSample() << al;
    // The files that the real window is clicked on in its end-to-end test.
    const QDir fixtures(QStringLiteral(WINDOW_FIXTURES));
    QTest::newRow("the window test's alignment file")
        << "al17.gsi" << Gsi::readFile(fixtures.filePath("al17.gsi")) << al;
    QTest::newRow("the window test's profile file")
        << "pr17.gsi" << Gsi::readFile(fixtures.filePath("pr17.gsi")) << pr;
}

void CliTest::writesTheSameBytesAsTheMainWindow()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, input);
    QFETCH(int, kind);

    QTemporaryDir dir;
    QVERIFY(Gsi::writeFile(dir.filePath(name), input));
    const QString output
        = CoreTest::text(Module1::outputPathFor(CoreTest::path(name), Conversion(kind)));
    // The second run replaces the first one's output, by its bare name.
    for (int round = 1; round <= 2; ++round) {
        const Run run = convert(dir.path(), { name });
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, QStringList { output });
        QCOMPARE(run.err, QStringList());
        QCOMPARE(
            Gsi::readFile(dir.filePath(output)), windowConversion(Conversion(kind), name, input));
    }
    QCOMPARE(entries(dir.path()), (QStringList { name, output }));
}

void CliTest::theNameOrAnOptionPicksTheConversion_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("output");
    QTest::addColumn<int>("kind");

    const int al = int(Conversion::Alignment);
    const int pr = int(Conversion::Profile);
    QTest::newRow("al*.gsi is alignment") << "al17.gsi" << QStringList() << "al17PI.gsi" << al;
    QTest::newRow("case does not matter for alignment")
        << "AL17.GSI" << QStringList() << "AL17PI.gsi" << al;
    QTest::newRow("pr*.gsi is profile") << "pr17.gsi" << QStringList() << "pr17VPI.gsi" << pr;
    QTest::newRow("case does not matter for profile")
        << "Pr17.Gsi" << QStringList() << "Pr17VPI.gsi" << pr;
    QTest::newRow("an earlier output converts again")
        << "al17PI.gsi" << QStringList() << "al17PIPI.gsi" << al;
    QTest::newRow("--profile forces any name")
        << "road.txt" << QStringList { "--profile", "road.txt" } << "roadVPI.gsi" << pr;
    QTest::newRow("an option wins over the name")
        << "al17.gsi" << QStringList { "--profile", "al17.gsi" } << "al17VPI.gsi" << pr;
    QTest::newRow("options may follow the files")
        << "x.gsi" << QStringList { "x.gsi", "--alignment" } << "xPI.gsi" << al;
    QTest::newRow("after --, a name may start with a dash")
        << "-x.gsi" << QStringList { "--alignment", "--", "-x.gsi" } << "-xPI.gsi" << al;
    // Four characters as the user counts them: one beyond U+FFFF and three more.
    QTest::newRow("a character beyond U+FFFF is one of the last four")
        << "x\U0001F600yz" << QStringList { "--alignment", "x\U0001F600yz" } << "xPI.gsi" << al;
}

void CliTest::theNameOrAnOptionPicksTheConversion()
{
    QFETCH(QString, name);
    QFETCH(QStringList, arguments);
    QFETCH(QString, output);
    QFETCH(int, kind);

    const QByteArray input
        = kind == int(Conversion::Alignment) ? alignmentSample() : profileSample();
    QTemporaryDir dir;
    QVERIFY(Gsi::writeFile(dir.filePath(name), input));
    const Run run = convert(dir.path(), arguments.isEmpty() ? QStringList { name } : arguments);

    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, QStringList { output });
    QCOMPARE(Gsi::readFile(dir.filePath(output)), CoreTest::convertBytes(Conversion(kind), input));
}

void CliTest::aFailingFileGivesOneLineWithTheWindowsError_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("number");

    const QStringList none;
    const QStringList dry { "--dry-run" };
    QTest::newRow("missing file: 53") << none << "al1.gsi" << 53;
    QTest::newRow("missing folder: 76") << none << "gone/al1.gsi" << 76;
    QTest::newRow("more than 1000 lines: 9") << none << "al1001.gsi" << 9;
    QTest::newRow("more than 1000 lines, the last one droppable: 9")
        << none << "al1000drop.gsi" << 9;
    QTest::newRow("the output name is a folder: 75") << none << "pr1.gsi" << 75;
    QTest::newRow("the input is a folder: 75") << none << "prdir.gsi" << 75;
    QTest::newRow("a name of neither kind: 52") << none << "road.gsi" << 52;
    QTest::newRow("a lone dash is a name, not an option: 52") << none << "-" << 52;
    QTest::newRow("an output that would leave the input's folder: 52")
        << QStringList { "--alignment" } << "sub/q" << 52;
    QTest::newRow("a dry run meets the limit too: 9") << dry << "al1001.gsi" << 9;
    QTest::newRow("a dry run meets a missing file too: 53") << dry << "al1.gsi" << 53;
    QTest::newRow("one byte over the size limit: 7") << none << "al65.gsi" << 7;
    const QString longName = "al" + QString(248, 'x') + ".gsi";
    QTest::newRow("an output name too long for the file system: 52") << none << longName << 52;
    QTest::newRow("a dry run meets a name too long too: 52") << dry << longName << 52;
    const QString longPath = QString("x/").repeated(2100) + "al1.gsi";
    QTest::newRow("a path too long for the system: 52") << none << longPath << 52;
    QTest::newRow("a dry run meets a path too long too: 52") << dry << longPath << 52;
    // Nothing may wait for a writer or read on without end.
    const QStringList forced { "--alignment" };
    if (onWindows()) {
        QTest::newRow("the console: 75") << forced << "CON" << 75;
        QTest::newRow("the null device: 75") << forced << "NUL" << 75;
        // Another program holds the file open and shares nothing.
        QTest::newRow("an input in use: 70") << none << "alheld.gsi" << 70;
        QTest::newRow("an output in use: 70") << none << "alheldout.gsi" << 70;
        // Its cause in Danish, where it was once 57 with "Input/output error".
        QTest::newRow("a name Windows cannot hold: 52") << none << "al<1.gsi" << 52;
    } else {
        QTest::newRow("a FIFO no one writes to: 75") << none << "alfifo.gsi" << 75;
        QTest::newRow("a symbolic link to a FIFO: 75") << none << "allink.gsi" << 75;
        QTest::newRow("a socket: 75") << none << "alsocket.gsi" << 75;
        QTest::newRow("an endless device: 75") << forced << "/dev/zero" << 75;
        // A device is judged before its driver is woken: opening /dev/tty in a session without
        // a terminal fails (ENXIO), so a check after the open would report that instead.
        QTest::newRow("a link to a device, never opened: 75") << none << "altty.gsi" << 75;
        // Regular files to stat, but made by the kernel as they are read; the log blocks.
        QTest::newRow("a link to a procfs file: 75") << none << "alproc.gsi" << 75;
        QTest::newRow("a link to a sysfs file: 75") << none << "alsys.gsi" << 75;
        if (PlatformTest::isRoot()) {
            QTest::newRow("a link to the kernel log, which blocks: 75")
                << none << "alkmsg.gsi" << 75;
            // Run as nobody where /proc is not mounted: the name is opened once more.
            QTest::newRow("an input nobody may read, with no /proc: 70")
                << none << "alnoproc.gsi" << 70;
        }
        // nobody's folder renamed away and put back as a link: root converting there would
        // write over root's own output in root's folder.
        if (PlatformTest::isRoot()) {
            QTest::newRow("another user's link to root's folder: 75, root's output kept")
                << none << "nobody/att/al1.gsi" << 75;
            QTest::newRow("another user's link on through a third's to his folder: 75")
                << none << "nobody/chain/al1.gsi" << 75;
        }
    }
}

void CliTest::aFailingFileGivesOneLineWithTheWindowsError()
{
    QFETCH(QStringList, options);
    QFETCH(QString, name);
    QFETCH(int, number);

    QTemporaryDir dir;
    const QByteArray keep = "an earlier output\r\n";
    Gsi::writeFile(dir.filePath("al1001PI.gsi"), keep);
    Gsi::writeFile(dir.filePath("al1001.gsi"), lines(1001, Gsi::coordinateLine()));
    Gsi::writeFile(dir.filePath("al1000drop.gsi"),
        lines(1000, Gsi::coordinateLine()) + Gsi::line({ Gsi::word("74", "....", '+', "1") }));
    Gsi::writeFile(dir.filePath("pr1.gsi"), profileSample());
    QVERIFY(QDir(dir.path()).mkdir("pr1VPI.gsi"));
    QVERIFY(QDir(dir.path()).mkdir("prdir.gsi"));
    Gsi::writeFile(dir.filePath("road.gsi"), alignmentSample());
    QVERIFY(QDir(dir.path()).mkdir("sub"));
    Gsi::writeFile(dir.filePath("sub/q"), alignmentSample());
    Gsi::writeFile(dir.filePath("al65.gsi"), alignmentSample());
    QVERIFY(QFile::resize(dir.filePath("al65.gsi"), qint64(Module1::MaxInputBytes) + 1));
    if (name.contains("socket"))
        QVERIFY(SystemFaults::makeSocket(QFile::encodeName(dir.filePath(name))));
    if (name.contains("fifo") || name.contains("link")) {
        QVERIFY(SystemFaults::makeFifo(dir.filePath("alfifo.gsi").toUtf8()));
        QVERIFY(QFile::link("alfifo.gsi", dir.filePath("allink.gsi")));
    }
    if (name == "alproc.gsi" || name == "alsys.gsi" || name == "alkmsg.gsi"
        || name == "altty.gsi") {
        const char* kernelFile = name == "alproc.gsi" ? "/proc/self/status"
            : name == "alsys.gsi"                     ? "/sys/kernel/uevent_seqnum"
            : name == "altty.gsi"                     ? "/dev/tty"
                                                      : "/proc/kmsg";
        QVERIFY(QFile::link(kernelFile, dir.filePath(name)));
    }
    if (name == "alnoproc.gsi") {
        if (QProcess::execute("unshare", { "-m", "true" }) != 0)
            QSKIP("no mount namespace can be made here");
        if (SIGTELINJE_SANITIZED)
            QSKIP("the sanitizer's runtime reads its memory map from /proc");
        QVERIFY(Gsi::writeFile(dir.filePath(name), alignmentSample()));
        QVERIFY(SystemFaults::setMode(QFile::encodeName(dir.filePath(name)), 0)
            && SystemFaults::setMode(QFile::encodeName(dir.path()), 0755));
    }
    if (name.size() > 250 && !name.contains('/'))
        QVERIFY(Gsi::writeFile(dir.filePath(name), alignmentSample()));
    if (name.startsWith("nobody/")) {
        // root's folder with an output of its own; daemon's folder and daemon's link to it.
        for (const char* folder : { "rootonly", "nobody", "daemon", "daemon/2026" })
            QVERIFY(QDir(dir.path()).mkdir(folder));
        for (const char* file : { "rootonly/al1.gsi", "daemon/2026/al1.gsi" })
            QVERIFY(Gsi::writeFile(dir.filePath(file), alignmentSample()));
        QVERIFY(Gsi::writeFile(dir.filePath("rootonly/al1PI.gsi"), keep));
        QVERIFY(QFile::link("2026", dir.filePath("daemon/current")));
        for (const char* mine : { "daemon", "daemon/2026", "daemon/current", "nobody" })
            QVERIFY(SystemFaults::setOwner(QFile::encodeName(dir.filePath(mine)),
                mine == QLatin1String("nobody") ? "nobody" : "daemon"));
        QVERIFY(QFile::setPermissions(dir.path(),
            QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ExeOther
                | QFile::ExeGroup));
        const QString link = name.section('/', 1, 1);
        QCOMPARE(QProcess::execute("setpriv",
                     { "--reuid=nobody", "--regid=nogroup", "--clear-groups", "ln", "-s",
                         link == "att" ? dir.filePath("rootonly") : "../daemon/current",
                         dir.filePath("nobody/" + link) }),
            0);
    }
    std::shared_ptr<void> held;
    if (name.startsWith("alheld")) {
        QVERIFY(Gsi::writeFile(dir.filePath(name), alignmentSample()));
        const QString file = name == "alheld.gsi" ? name : name.chopped(4) + "PI.gsi";
        if (file != name)
            QVERIFY(Gsi::writeFile(dir.filePath(file), keep));
        held = PlatformTest::denyReading(dir.filePath(file));
        QVERIFY(held);
    }
    const QStringList before = entries(dir.path());

    QStringList wrapper = name == "altty.gsi" ? QStringList { "setsid", "-w" } : QStringList();
    if (name == "alnoproc.gsi")
        wrapper = QStringList { "unshare", "-m", "sh", "-c",
            "mount -t tmpfs none /proc && exec setpriv --reuid=nobody --regid=nogroup "
            "--clear-groups \"$0\" \"$@\"" };
    const Run run = convert(dir.path(), options + QStringList { name }, wrapper);

    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.out, QStringList());
    QCOMPARE(run.err.size(), 1);
    QVERIFY2(
        run.err.first().startsWith(QStringLiteral("sigtelinje-convert: Fejl %1: ").arg(number)),
        qPrintable(run.err.first()));
    // A device has no place in the window's lists, which show files only.
    if (number == 52 || !name.contains(".gsi") || name == "alnoproc.gsi") {
        // The input's name or the output's, which shares all but the last four characters.
        QVERIFY2(run.err.first().contains(QDir::toNativeSeparators(name))
                || run.err.first().contains(QDir::toNativeSeparators(name.chopped(4) + "PI.gsi")),
            qPrintable(run.err.first()));
    } else {
        const Conversion kind = name.startsWith("al") || name.startsWith("gone")
            ? Conversion::Alignment
            : Conversion::Profile;
        QCOMPARE(run.err.first(),
            windowError(kind, QDir(dir.path()).filePath(name))
                .replace(QDir::toNativeSeparators(dir.path() + '/'), QString()));
    }
    if (name.startsWith("alheld"))
        QVERIFY2(
            run.err.first().contains("er i brug af et andet program"), qPrintable(run.err.first()));
    // CON opens only for a program with a console: a program without one says the same.
    if (onWindows() && number == 75)
        QCOMPARE(convert(dir.path(), options + QStringList { name }, {}, false).err, run.err);
    held.reset();
    QCOMPARE(entries(dir.path()), before);
    QCOMPARE(entries(dir.filePath("sub")), QStringList { "q" });
    QCOMPARE(Gsi::readFile(dir.filePath("al1001PI.gsi")), keep);
    if (name == "alheldout.gsi")
        QCOMPARE(Gsi::readFile(dir.filePath("alheldoutPI.gsi")), keep);
    if (name.startsWith("nobody/")) {
        QCOMPARE(Gsi::readFile(dir.filePath("rootonly/al1PI.gsi")), keep);
        QCOMPARE(entries(dir.filePath("daemon/2026")), QStringList { "al1.gsi" });
    }
}

void CliTest::goodFilesAreConvertedBesideBadOnes()
{
    QTemporaryDir dir;
    QVERIFY(Gsi::writeFile(dir.filePath("al1.gsi"), alignmentSample()));
    QVERIFY(Gsi::writeFile(dir.filePath("pr1.gsi"), profileSample()));
    QVERIFY(Gsi::writeFile(dir.filePath("notes.txt"), "not a survey file\r\n"));

    const Run run
        = convert(dir.path(), { "missing.gsi", "al1.gsi", "notes.txt", "pr1.gsi", "alnot.gsi" });

    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.out, (QStringList { "al1PI.gsi", "pr1VPI.gsi" }));
    QCOMPARE(run.err.size(), 3);
    QVERIFY2(run.err.at(0).startsWith("sigtelinje-convert: Fejl 52: ")
            && run.err.at(0).contains("missing.gsi"),
        qPrintable(run.err.at(0)));
    QVERIFY2(run.err.at(1).startsWith("sigtelinje-convert: Fejl 52: ")
            && run.err.at(1).contains("notes.txt"),
        qPrintable(run.err.at(1)));
    QVERIFY2(run.err.at(2).startsWith("sigtelinje-convert: Fejl 53: ")
            && run.err.at(2).contains("alnot.gsi"),
        qPrintable(run.err.at(2)));
    QCOMPARE(Gsi::readFile(dir.filePath("al1PI.gsi")),
        CoreTest::convertBytes(Conversion::Alignment, alignmentSample()));
    QCOMPARE(Gsi::readFile(dir.filePath("pr1VPI.gsi")),
        CoreTest::convertBytes(Conversion::Profile, profileSample()));
    QCOMPARE(entries(dir.path()),
        (QStringList { "al1.gsi", "al1PI.gsi", "notes.txt", "pr1.gsi", "pr1VPI.gsi" }));

    // A good file last does not make the run a success.
    const Run last = convert(dir.path(), { "missing.gsi", "al1.gsi" });
    QCOMPARE(last.exitCode, 1);
    QCOMPARE(last.out, QStringList { "al1PI.gsi" });
}

void CliTest::eachPathEndsInANewlineOrANul_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("printed");

    QTest::newRow("a newline by default")
        << QStringList { "al1.gsi", "pr1.gsi" } << QByteArray("al1PI.gsi\npr1VPI.gsi\n");
    QTest::newRow("-0: a NUL") << QStringList { "-0", "al1.gsi", "pr1.gsi" }
                               << QByteArray("al1PI.gsi\0pr1VPI.gsi\0", 21);
    QTest::newRow("--null, with a dry run")
        << QStringList { "--dry-run", "--null", "pr1.gsi" } << QByteArray("pr1VPI.gsi\0", 11);
    // Letters outside the ANSI code page, which its best fit would print as others.
    QTest::newRow("letters outside the code page") << QStringList { u"alŁódź.gsi"_s,
        u"alΩ.gsi"_s } << QString(u"alŁódźPI.gsi\nalΩPI.gsi\n"_s).toUtf8();
    QTest::newRow("-0, letters outside the code page")
        << QStringList { "-0", u"alΩ.gsi"_s } << QByteArray("al\xce\xa9PI.gsi\0", 11);
    if (!onWindows())
        QTest::newRow("--null, a name holding a newline")
            << QStringList { "--null", "al\n1.gsi" } << QByteArray("al\n1PI.gsi\0", 11);
}

void CliTest::eachPathEndsInANewlineOrANul()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, printed);

    QTemporaryDir dir;
    for (const QString& name : arguments)
        if (name.endsWith(".gsi"))
            QVERIFY(Gsi::writeFile(dir.filePath(name), alignmentSample()));
    // A Windows console program ends its lines as Windows text does.
    if (onWindows() && !arguments.contains("-0") && !arguments.contains("--null"))
        printed.replace("\n", "\r\n");
    QCOMPARE(rawOutput(dir.path(), arguments), printed);
}

void CliTest::aFailedWriteOfThePathsIsAnError_data()
{
    QTest::addColumn<QString>("shell"); // runs the converter ("$0") on al1.gsi, output set up
    QTest::addColumn<int>("number");

    QTest::newRow("a full disk: 61") << "exec \"$0\" al1.gsi >/dev/full" << 61;
    QTest::newRow("a closed standard output: 57") << "exec \"$0\" al1.gsi >&-" << 57;
    // With no standard input either, descriptor 0 goes to the input, the folder held, a step
    // along the path or the links, or the folder a link leads into.
    QTest::newRow("closed standard input and output, the input behind two links: 57")
        << "mkdir -p a/b && mv al1.gsi a/b && ln -s b/al1.gsi a/x && ln -s a/x al1.gsi"
           " && exec \"$0\" al1.gsi <&- >&-"
        << 57;
    QTest::newRow("closed standard input and output, the input itself: 57")
        << "exec \"$0\" al1.gsi <&- >&-" << 57;
    QTest::newRow("closed standard input and output, the input by its full path: 57")
        << "exec \"$0\" \"$(pwd)/al1.gsi\" <&- >&-" << 57;
    QTest::newRow("closed standard input and output, the input behind a link: 57")
        << "mkdir b && mv al1.gsi b && ln -s b/al1.gsi al1.gsi && exec \"$0\" al1.gsi <&- >&-"
        << 57;
    QTest::newRow("closed standard input and output, the input in a folder below: 57")
        << "mkdir b && mv al1.gsi b"
           " && { \"$0\" b/al1.gsi <&- >&-; s=$?; mv b/al1PI.gsi .; exit $s; }"
        << 57;
    // So many paths that a write of the buffer fails halfway through the batch and leaves
    // nothing for the last flush, which then finds no error of its own to report.
    const QString folder(200, QLatin1Char('d'));
    QString batch = "mkdir " + folder + " && cp al1.gsi " + folder + " && exec \"$0\" al1.gsi";
    for (int i = 0; i < 20; ++i)
        batch += ' ' + folder + "/al1.gsi";
    QTest::newRow("a full disk halfway through a batch keeps its cause: 61")
        << batch + " >/dev/full" << 61;
    // The reader end is held only by the shell, which lets go of it as the converter starts.
    QTest::newRow("a pipe whose reader has gone: 57")
        << "mkfifo paths && exec 3<>paths && exec \"$0\" al1.gsi >paths 3<&-" << 57;
}

// The conversions themselves succeed; only the list of them is lost, which a
// script must learn of.
void CliTest::aFailedWriteOfThePathsIsAnError()
{
    QFETCH(QString, shell);
    QFETCH(int, number);

    if (onWindows())
        QSKIP("these redirections are a POSIX shell's");
    QTemporaryDir dir;
    QVERIFY(Gsi::writeFile(dir.filePath("al1.gsi"), alignmentSample()));
    QProcess process;
    process.setWorkingDirectory(dir.path());
    process.start("/bin/sh", { "-c", shell, QStringLiteral(CONVERTER) });
    QVERIFY(process.waitForFinished(60000));
    const QStringList err = textLines(process.readAllStandardError());

    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 1);
    QVERIFY(!err.isEmpty());
    for (const QString& line : err)
        QVERIFY2(line.startsWith(QStringLiteral("sigtelinje-convert: Fejl %1: ").arg(number))
                && line.contains("standard output", Qt::CaseInsensitive),
            qPrintable(err.join('\n')));
    QCOMPARE(Gsi::readFile(dir.filePath("al1PI.gsi")),
        CoreTest::convertBytes(Conversion::Alignment, alignmentSample()));
    // A link into another folder lends the output none of the input's bits for others.
    QCOMPARE(QFileInfo(dir.filePath("al1PI.gsi")).permission(QFileDevice::ReadOther),
        !shell.contains("ln -s"));
}

void CliTest::anInterruptedConversionLeavesNothing_data()
{
    QTest::addColumn<QByteArray>("signal");

    // The converter is killed outright the moment its file passes 1 MB, with no
    // chance to clean up, as by SIGKILL or a power cut.
    QTest::newRow("killed halfway through writing") << QByteArray("XFSZ");
    // A named temporary file, as on a file system without anonymous ones.
    QTest::newRow("Ctrl+C") << QByteArray("INT");
    QTest::newRow("SIGTERM") << QByteArray("TERM");
    QTest::newRow("the terminal closed") << QByteArray("HUP");
}

void CliTest::anInterruptedConversionLeavesNothing()
{
    QFETCH(QByteArray, signal);

    if (onWindows())
        QSKIP("signals and file size limits are POSIX");
    QTemporaryDir dir;
    const QByteArray old = "an earlier output\r\n";
    QVERIFY(Gsi::writeFile(dir.filePath("al1PI.gsi"), old));
    QVERIFY(Gsi::writeFile(dir.filePath("al1.gsi"), '*' + QByteArray(8 * 1024 * 1024, '8')));
    const QStringList before = entries(dir.path());

    if (signal == "XFSZ") {
        const QString prlimit = QStandardPaths::findExecutable("prlimit");
        if (prlimit.isEmpty())
            QSKIP("prlimit is not installed (tools/install-deps.sh installs util-linux)");
        QProcess process;
        process.setWorkingDirectory(dir.path());
        process.start(prlimit, { "--fsize=1048576", QStringLiteral(CONVERTER), "al1.gsi" });
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitStatus(), QProcess::CrashExit);
    } else {
        const QString failure = SystemFaults::interruptWhileWriting(
            QFile::encodeName(dir.filePath("al1PI.gsi")), signal);
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
    }
    QCOMPARE(
        QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), before);
    QCOMPARE(Gsi::readFile(dir.filePath("al1PI.gsi")), old);
}

void CliTest::aSignalTheCallerIgnoresStaysIgnored_data()
{
    QTest::addColumn<QString>("signal");

    QTest::newRow("SIGHUP under nohup") << "HUP";
    QTest::newRow("SIGINT in a job started with &") << "INT";
    QTest::newRow("SIGTERM ignored by a service") << "TERM";
}

// The signal arrives as the output is written; ignored, it must neither stop the conversion
// nor be taken over by the converter's own clean-up.
void CliTest::aSignalTheCallerIgnoresStaysIgnored()
{
    QFETCH(QString, signal);

    if (onWindows() || !haveStrace())
        QSKIP("needs POSIX signals and strace (tools/install-deps.sh installs strace)");
    QTemporaryDir dir;
    QVERIFY(Gsi::writeFile(dir.filePath("al1.gsi"), alignmentSample()));
    QProcess process;
    process.setWorkingDirectory(dir.path());
    process.setProcessEnvironment(environmentForStrace());
    process.start("/bin/sh",
        { "-c",
            "trap '' " + signal + "; exec strace -f -o /dev/null -e inject=write:signal=" + signal
                + ":when=1 \"$0\" al1.gsi",
            QStringLiteral(CONVERTER) });
    QVERIFY(process.waitForFinished(60000));

    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(textLines(process.readAllStandardError()), QStringList());
    QCOMPARE(process.exitCode(), 0);
    QCOMPARE(Gsi::readFile(dir.filePath("al1PI.gsi")),
        CoreTest::convertBytes(Conversion::Alignment, alignmentSample()));
    QCOMPARE(everything(dir.path()), (QStringList { "al1.gsi", "al1PI.gsi" }));
}

void CliTest::aFailingCallGivesItsTrueCauseAndLeavesNothing_data()
{
    QTest::addColumn<QStringList>("strace");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("said"); // in the description
    QTest::addColumn<bool>("linkedAway"); // al1.gsi leads into another folder, where it fails

    // The input, by the name the converter is given and by its whole path.
    const QStringList input { "-P", "al1.gsi", "-P", "ABSOLUTE" };
    QTest::newRow("fsync fails with an I/O error: 57")
        << QStringList { "-e", "inject=fsync,fdatasync:error=EIO" } << 57 << "kunne ikke skrives"
        << false;
    QTest::newRow("writing fails with an I/O error: 57")
        << QStringList { "-e", "inject=write,pwrite64,writev:error=EIO:when=1" } << 57
        << "kunne ikke skrives" << false;
    QTest::newRow("fsync finds the disk full: 61")
        << QStringList { "-e", "inject=fsync,fdatasync:error=ENOSPC" } << 61 << "Disken er fuld"
        << false;
    QTest::newRow("writing meets a full quota: 61")
        << QStringList { "-e", "inject=write,pwrite64,writev:error=EDQUOT:when=1" } << 61
        << "Disken er fuld" << false;
    QTest::newRow("the output is in use as it is replaced: 70")
        << QStringList { "-e", "inject=rename,renameat,renameat2:error=EBUSY" } << 70 << "i brug"
        << false;
    QTest::newRow("opening the input meets an I/O error: 57, not 'findes ikke'")
        << input + QStringList { "-e", "inject=open,openat,openat2:error=EIO" } << 57
        << "kunne ikke læses" << false;
    QTest::newRow("looking at the old output meets an I/O error: 57")
        << QStringList { "-P", "al1PI.gsi", "-e", "inject=newfstatat,statx:error=EIO" } << 57
        << "kunne ikke skrives" << false;
    QTest::newRow("the input's medium has gone: 68 in Danish, not the system's English") << input
            + QStringList {
                  "-P", ".", "-e", "inject=open,openat,openat2,stat,statx,newfstatat:error=ENOTCONN"
              } << 68 << "Enheden er ikke tilgængelig" << false;
    QTest::newRow("reading the opened input meets an I/O error: 57, nothing converted") << input
            + QStringList { "-e", "inject=read:error=EIO" } << 57 << "kunne ikke læses" << false;
    // BEYOND: the input is one byte over the size limit, which is refused before a byte is read.
    QTest::newRow("an input over the size limit is not read at all: 7")
        << input + QStringList { "BEYOND", "-e", "inject=read:error=EIO" } << 7
        << "større end 64 MB" << false;
    // Every read says it got a full buffer: a file that grows as it is read.
    QTest::newRow("an input that grows past the size limit as it is read: 7, nothing converted")
        << input + QStringList { "-e", "inject=read:retval=65536" } << 7 << "større end 64 MB"
        << false;
    QTest::newRow("the output's medium goes while it is written: 68 in Danish")
        << QStringList { "-e", "inject=fsync,fdatasync:error=ENOTCONN" } << 68
        << "Enheden er ikke tilgængelig: filen al1PI.gsi kan ikke skrives" << false;
    // The second fcntl is the output's own copy of the folder's handle; without it the
    // folder must not be looked up again by its name.
    QTest::newRow("no handle left for the output's folder: 57, nothing written")
        << QStringList { "-e", "inject=fcntl:error=EMFILE:when=2" } << 57 << "kunne ikke skrives"
        << false;
    QTest::newRow("the input's status meets an I/O error: 57, not 'findes ikke'")
        << input + QStringList { "-e", "inject=stat,lstat,fstat,newfstatat,statx:error=EIO" } << 57
        << "kunne ikke læses" << false;
    // Another user's link into a medium that has gone says nothing of the folder it lies in.
    QTest::newRow("a link into a medium that has gone: 68 for it alone")
        << QStringList { "-P", "other", "-e", "inject=openat:error=ENOTCONN" } << 68
        << "Enheden er ikke tilgængelig" << true;
}

// Each time the old output stays as it was and no temporary file is left.
void CliTest::aFailingCallGivesItsTrueCauseAndLeavesNothing()
{
    QFETCH(QStringList, strace);
    QFETCH(int, number);
    QFETCH(QString, said);
    QFETCH(bool, linkedAway);

    if (onWindows() || !haveStrace())
        QSKIP("faults are injected with strace (tools/install-deps.sh installs it)");
    // The sanitizer's runtime writes to pipes of its own before the converter writes a byte;
    // the injection would fail those instead. The ordinary build runs these rows.
    if (SIGTELINJE_SANITIZED && strace.join(u' ').contains(u"inject=write"))
        QSKIP("in the sanitizer build the first write is the sanitizer's own");
    QTemporaryDir dir;
    const QByteArray old = "an earlier output\r\n";
    QVERIFY(Gsi::writeFile(dir.filePath("al1PI.gsi"), old));
    QVERIFY(!linkedAway || QDir(dir.path()).mkdir("other"));
    QVERIFY(
        Gsi::writeFile(dir.filePath(linkedAway ? "other/al1.gsi" : "al1.gsi"), alignmentSample()));
    if (strace.removeAll("BEYOND"))
        QVERIFY(QFile::resize(dir.filePath("al1.gsi"), qint64(Module1::MaxInputBytes) + 1));
    if (linkedAway)
        QVERIFY(QFile::link("other/al1.gsi", dir.filePath("al1.gsi")));
    // A medium that has gone is not asked again: a further file of its folder is named once,
    // as not converted. One that fails only the output's writes still answers for its folder.
    const bool gone
        = number == GsiError::DeviceUnavailable && !linkedAway && !said.endsWith("skrives");
    if (gone || linkedAway)
        QVERIFY(Gsi::writeFile(dir.filePath("al2.gsi"), alignmentSample()));
    strace.replaceInStrings("ABSOLUTE", dir.filePath("al1.gsi"));
    QStringList before = everything(dir.path());
    const Run run = convertTraced(dir.path(), strace,
        gone || linkedAway ? QStringList { "al1.gsi", "al2.gsi" } : QStringList { "al1.gsi" });

    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.out, linkedAway ? QStringList { "al2PI.gsi" } : QStringList());
    QCOMPARE(run.err.join('\n').count("Fejl"), gone ? 2 : 1);
    if (gone)
        QVERIFY2(run.err.last().startsWith("sigtelinje-convert: Fejl 68: ")
                && run.err.last().contains("al2.gsi") && !run.err.last().contains("al1"),
            qPrintable(run.err.join('\n')));
    QVERIFY2(run.err.first().startsWith(QStringLiteral("sigtelinje-convert: Fejl %1: ").arg(number))
            && run.err.first().contains(said) && run.err.first().contains("al1")
            && !run.err.first().contains("findes ikke"),
        qPrintable(run.err.first()));
    if (linkedAway)
        before = QStringList { "al1.gsi", "al1PI.gsi", "al2.gsi", "al2PI.gsi", "other" };
    QCOMPARE(everything(dir.path()), before);
    QCOMPARE(Gsi::readFile(dir.filePath("al1PI.gsi")), old);
}

void CliTest::aSwappedFolderNeverReceivesTheOutput_data()
{
    QTest::addColumn<bool>("keptReadOnly"); // root's file in the other folder

    QTest::newRow("root's read-only file") << true;
    // Only one open of the folder keeps the input's and the output's folder the same.
    QTest::newRow("root's writable file") << false;
}

// Another user exchanges the output's folder for a link to a folder of root's, again and again,
// while root converts there: the output lands in the folder that was opened, or nowhere. strace
// holds each call that looks a path up for a moment, so that the exchange falls between them.
void CliTest::aSwappedFolderNeverReceivesTheOutput()
{
    QFETCH(bool, keptReadOnly);

    if (onWindows() || !haveStrace())
        QSKIP("needs renameat2 and strace (tools/install-deps.sh installs strace)");
    QTemporaryDir dir;
    const QDir base(dir.path());
    QVERIFY(base.mkdir("work") && base.mkdir("other"));
    QVERIFY(QFile::link(dir.filePath("other"), dir.filePath("link")));
    QVERIFY(Gsi::writeFile(dir.filePath("work/al1.gsi"), alignmentSample()));
    // A finished file of root's, made read-only or not.
    const QByteArray kept = "root's own\r\n";
    QVERIFY(Gsi::writeFile(dir.filePath("other/al1PI.gsi"), kept));
    QVERIFY(QFile::setPermissions(dir.filePath("other/al1PI.gsi"),
        keptReadOnly ? QFile::ReadOwner : QFile::ReadOwner | QFile::WriteOwner));

    QProcess swapper;
    swapper.setWorkingDirectory(dir.path());
    swapper.start(QStringLiteral(SWAPPER), { "work", "link" });
    const auto stop = [&swapper] {
        swapper.terminate();
        if (!swapper.waitForFinished(10000))
            swapper.kill();
        swapper.waitForFinished();
    };
    const auto stopAnyway = qScopeGuard(stop);
    QVERIFY(swapper.waitForReadyRead(10000));
    QCOMPARE(swapper.readLine(), QByteArray("swapping\n"));

    const QStringList calls { "-e",
        "inject=open,openat,openat2,stat,lstat,newfstatat,statx,linkat,rename,renameat,renameat2:"
        "delay_enter=500" };
    const Run run = convertTraced(dir.path(), calls, QStringList(300, "work/al1.gsi"));
    QVERIFY2(swapper.state() == QProcess::Running, swapper.readAllStandardError().constData());
    stop();

    QCOMPARE(everything(dir.filePath("other")).join(' '), "al1PI.gsi");
    QCOMPARE(Gsi::readFile(dir.filePath("other/al1PI.gsi")), kept);
    // Not a race that never ran: some conversions found the folder and wrote there.
    QVERIFY2(run.out.size() >= 10, qPrintable(run.err.join('\n')));
    const QString work = QFileInfo(dir.filePath("work")).isSymLink() ? "link" : "work";
    QCOMPARE(everything(dir.filePath(work)), (QStringList { "al1.gsi", "al1PI.gsi" }));
    QCOMPARE(Gsi::readFile(dir.filePath(work + "/al1PI.gsi")),
        CoreTest::convertBytes(Conversion::Alignment, alignmentSample()));
}

void CliTest::namesAreQuotedOnlyOnATerminal_data()
{
    QTest::addColumn<bool>("terminal");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("good"); // a file that converts
    QTest::addColumn<QByteArray>("missing"); // one that is not there, its name as bytes
    QTest::addColumn<QByteArrayList>("shown");

    // One file converts, one is missing: a path on standard output and an error line.
    const QString escapes = QString::fromUtf8("al\x1b[1Ax.gsi");
    const QByteArray clears = "al\x1b[2Ky.gsi";
    QTest::newRow("a terminal gets them quoted as ls quotes them")
        << true << QStringList() << escapes << clears
        << QByteArrayList { "'al'$'\\033''[1AxPI.gsi'\r\n",
               "Filen findes ikke: 'al'$'\\033''[2Ky.gsi'" };
    QTest::newRow("a pipe gets the bytes as they are")
        << false << QStringList() << escapes << clears
        << QByteArrayList { "al\x1b[1AxPI.gsi\n", "Filen findes ikke: al\x1b[2Ky.gsi" };
    QTest::newRow("-0 on a terminal gets them quoted too")
        << true << QStringList { "-0" } << escapes << clears
        << QByteArrayList { "'al'$'\\033''[1AxPI.gsi'" + QByteArray(1, 0) };
    // A bidi override turns the rest of the line around; a line separator starts a new one.
    QTest::newRow("a terminal gets bidi controls and line separators quoted")
        << true << QStringList() << QString::fromUtf8("al\u202ex\u2028.gsi")
        << QByteArray("al\u2066y.gsi")
        << QByteArrayList { "'al'$'\\342\\200\\256''x'$'\\342\\200\\250''PI.gsi'\r\n",
               "Filen findes ikke: 'al'$'\\342\\201\\246''y.gsi'" };
    // sigtelinje-road names its files in its findings and its errors.
    QTest::newRow("the road tool's check quotes them on a terminal too")
        << true << QStringList { "road:check" } << escapes << clears
        << QByteArrayList { "al$'\\033'[1Ax.gsi:2: ", "Filen findes ikke: al$'\\033'[2Ky.gsi" };
    // C1 ends at U+009F: NEL is quoted, the no-break space after it is a letter like any other.
    QTest::newRow("a terminal gets C1 quoted and the no-break space as it is")
        << true << QStringList() << QString::fromUtf8("al\u00a0x.gsi")
        << QByteArray("al\u0085y.gsi")
        << QByteArrayList { "al\xc2\xa0xPI.gsi\r\n",
               "Filen findes ikke: 'al'$'\\302\\205''y.gsi'" };
    // C0 AF is '/' written long, which a lax decoder takes for a slash; C0 9B is ESC.
    QTest::newRow("a terminal gets overlong UTF-8 quoted byte by byte")
        << true << QStringList() << QString::fromUtf8("al1.gsi")
        << QByteArray("al\xc0\xaf\xc0\x9by.gsi")
        << QByteArrayList { "Filen findes ikke: 'al'$'\\300'$'\\257'$'\\300'$'\\233''y.gsi'" };
}

// A name holding a terminal's control sequences must not move the cursor, clear lines or set the
// window's title when it is shown; a script reading the paths needs them unchanged.
void CliTest::namesAreQuotedOnlyOnATerminal()
{
    QFETCH(bool, terminal);
    QFETCH(QStringList, options);
    QFETCH(QString, good);
    QFETCH(QByteArray, missing);
    QFETCH(QByteArrayList, shown);

    if (onWindows() || QStandardPaths::findExecutable(QStringLiteral("script")).isEmpty())
        QSKIP("a terminal of its own needs script (util-linux)");
    QTemporaryDir dir;
    QVERIFY(Gsi::writeFile(dir.filePath(good), alignmentSample()));

    QProcess process;
    process.setWorkingDirectory(dir.path());
    // The missing name travels as bytes, in the environment, to a shell that passes it on.
    qputenv("MISSING", missing);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    qunsetenv("MISSING");
    environment.insert("SHELL", "/bin/sh");
    const bool road = options.value(0).startsWith("road:");
    environment.insert("CONVERTER", road ? ROAD_TOOL : CONVERTER);
    if (road)
        options = QStringList { options.first().mid(5) };
    environment.insert("GOOD", good);
    process.setProcessEnvironment(environment);
    const QString command = "exec \"$CONVERTER\" " + options.join(' ') + " \"$GOOD\" \"$MISSING\"";
    QByteArray bytes;
    if (terminal) {
        process.start("script", { "-qec", command, "/dev/null" });
        QVERIFY(process.waitForFinished(60000));
        bytes = process.readAllStandardOutput();
    } else {
        process.start("/bin/sh", { "-c", command });
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitCode(), 1);
        bytes = process.readAllStandardOutput() + process.readAllStandardError();
    }
    for (const QByteArray& part : shown)
        QVERIFY2(bytes.contains(part), bytes.toPercentEncoding(" '$\\:/").constData());
    if (terminal)
        QVERIFY2(!bytes.contains('\x1b') && !bytes.contains("\xe2\x80") && !bytes.contains('\xc0'),
            bytes.toPercentEncoding(" '$\\:/").constData());
    if (!options.contains("check"))
        QVERIFY(QFile::exists(dir.filePath(good.chopped(4) + "PI.gsi")));
}

void CliTest::aWrongCommandLineExitsWithTwoAndWritesNothing_data()
{
    QTest::addColumn<QStringList>("arguments");

    QTest::newRow("no file") << QStringList();
    QTest::newRow("options but no file") << QStringList { "--dry-run", "--alignment" };
    QTest::newRow("an unknown option") << QStringList { "--bogus", "al1.gsi" };
    QTest::newRow("both conversions forced")
        << QStringList { "--alignment", "--profile", "al1.gsi" };
}

void CliTest::aWrongCommandLineExitsWithTwoAndWritesNothing()
{
    QFETCH(QStringList, arguments);

    QTemporaryDir dir;
    QVERIFY(Gsi::writeFile(dir.filePath("al1.gsi"), alignmentSample()));
    const Run run = convert(dir.path(), arguments);

    QCOMPARE(run.exitCode, 2);
    QCOMPARE(run.out, QStringList());
    QVERIFY(!run.err.isEmpty());
    QVERIFY2(run.err.first().startsWith("sigtelinje-convert: "), qPrintable(run.err.first()));
    QVERIFY(run.err.contains(
        "Usage: sigtelinje-convert [--alignment | --profile] [--dry-run] [-0] FILE..."));
    QCOMPARE(entries(dir.path()), QStringList { "al1.gsi" });
}

void CliTest::aDryRunListsTheOutputsAndWritesNothing_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("listed");

    QTest::newRow("by name") << QStringList { "--dry-run", "al1.gsi", "pr1.gsi" }
                             << QStringList { "al1PI.gsi", "pr1VPI.gsi" };
    QTest::newRow("forced, option last")
        << QStringList { "pr1.gsi", "--alignment", "--dry-run" } << QStringList { "pr1PI.gsi" };
    QTest::newRow("in a subfolder") << QStringList { "--dry-run", "sub/al2.gsi" }
                                    << QStringList { QDir::toNativeSeparators("sub/al2PI.gsi") };
    QTest::newRow("an existing output is listed and kept")
        << QStringList { "--dry-run", "al1PI.gsi" } << QStringList { "al1PIPI.gsi" };
}

void CliTest::aDryRunListsTheOutputsAndWritesNothing()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, listed);

    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("sub"));
    QVERIFY(Gsi::writeFile(dir.filePath("al1.gsi"), alignmentSample()));
    QVERIFY(Gsi::writeFile(dir.filePath("pr1.gsi"), profileSample()));
    QVERIFY(Gsi::writeFile(dir.filePath("sub/al2.gsi"), alignmentSample()));
    QVERIFY(Gsi::writeFile(dir.filePath("al1PI.gsi"), "kept\r\n"));
    QVERIFY(Gsi::writeFile(dir.filePath("al1PIPI.gsi"), "kept too\r\n"));
    const QStringList before = entries(dir.path());

    const Run run = convert(dir.path(), arguments);

    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, listed);
    QCOMPARE(run.err, QStringList());
    QCOMPARE(entries(dir.path()), before);
    QCOMPARE(entries(dir.filePath("sub")), QStringList { "al2.gsi" });
    QCOMPARE(Gsi::readFile(dir.filePath("al1PI.gsi")), QByteArray("kept\r\n"));
    QCOMPARE(Gsi::readFile(dir.filePath("al1PIPI.gsi")), QByteArray("kept too\r\n"));
}

void CliTest::helpAndVersionExitWithZero_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("firstLine");

    QTest::newRow("--help")
        << "--help"
        << "Usage: sigtelinje-convert [--alignment | --profile] [--dry-run] [-0] FILE...";
    QTest::newRow("-h")
        << "-h"
        << "Usage: sigtelinje-convert [--alignment | --profile] [--dry-run] [-0] FILE...";
    QTest::newRow("--version") << "--version"
                               << "sigtelinje-convert " SIGTELINJE_VERSION;
}

void CliTest::helpAndVersionExitWithZero()
{
    QFETCH(QString, option);
    QFETCH(QString, firstLine);

    QTemporaryDir dir;
    QVERIFY(Gsi::writeFile(dir.filePath("al1.gsi"), alignmentSample()));
    const Run run = convert(dir.path(), { option, "al1.gsi" });

    QCOMPARE(run.exitCode, 0);
    QVERIFY(!run.out.isEmpty());
    QCOMPARE(run.out.first(), firstLine);
    QCOMPARE(run.err, QStringList());
    QCOMPARE(entries(dir.path()), QStringList { "al1.gsi" });
}

void CliTest::namesOutsideUtf8AreConvertedByTheirBytes_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("output");

    QTest::newRow("a Latin-1 letter") << QByteArray("al\xe6.gsi") << QByteArray("al\xe6PI.gsi");
    QTest::newRow("a lone continuation byte")
        << QByteArray("pr\x80x.gsi") << QByteArray("pr\x80xVPI.gsi");
    QTest::newRow("a folder named outside UTF-8")
        << QByteArray("\xff-road/al1.gsi") << QByteArray("\xff-road/al1PI.gsi");
}

// On Linux a name is bytes; the shell hands them over exactly as the folder holds them.
void CliTest::namesOutsideUtf8AreConvertedByTheirBytes()
{
    if (PlatformTest::onWindows())
        QSKIP("Windows names are UTF-16; no byte sequence can be invalid");
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, output);

    QTemporaryDir dir;
    const bool alignment = name.split('/').last().startsWith("al");
    const QByteArray input = alignment ? alignmentSample() : profileSample();
    const QByteArray folder = QFile::encodeName(dir.path()) + '/';
    // QTemporaryDir cannot reach such names to remove them.
    const auto removeByBytes = qScopeGuard([&] {
        std::filesystem::remove_all((folder + name.split('/').first()).toStdString());
        std::remove((folder + output).constData());
    });
    if (name.contains('/'))
        QVERIFY(
            std::filesystem::create_directory((folder + name.split('/').first()).toStdString()));
    std::FILE* in = std::fopen((folder + name).constData(), "wb");
    QVERIFY(in);
    QCOMPARE(std::fwrite(input.constData(), 1, input.size(), in), size_t(input.size()));
    std::fclose(in);
    QProcess process;
    process.setWorkingDirectory(dir.path());
    // The name travels in the environment, as bytes, to a shell that passes it on.
    qputenv("GSI_NAME", name);
    process.start("/bin/sh", { "-c", "exec \"$0\" \"$GSI_NAME\"", QStringLiteral(CONVERTER) });
    QVERIFY(process.waitForFinished(60000));
    qunsetenv("GSI_NAME");

    QCOMPARE(process.readAllStandardError(), QByteArray());
    QCOMPARE(process.exitCode(), 0);
    QCOMPARE(process.readAllStandardOutput(), output + '\n');
    std::FILE* raw = std::fopen((folder + output).constData(), "rb");
    QVERIFY2(raw, "the output was not written under its byte name");
    QByteArray written(input.size() * 2, '\0');
    written.resize(qsizetype(std::fread(written.data(), 1, written.size(), raw)));
    std::fclose(raw);
    QCOMPARE(written,
        CoreTest::convertBytes(
            Conversion(alignment ? Conversion::Alignment : Conversion::Profile), input));
}

void CliTest::theBenchmarksGawkScriptWritesTheSameBytes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("input");

    QTest::newRow("alignment") << "al1.gsi" << alignmentSample();
    QTest::newRow("alignment with CR and LF line ends")
        << "al2.gsi"
        << QByteArray(alignmentSample()).replace("\r\n*11", "\r*11").replace("\r\n*4", "\n*4");
    QTest::newRow("alignment marks at column 1 and past column 145")
        << "al3.gsi"
        << Gsi::crlf({ Gsi::alignmentHeader(), "82..10-" + Gsi::coordinateLine().mid(7),
               Gsi::coordinateLine() + "74....",
               Gsi::coordinateLine() + Gsi::word("99", "....", '+', "1") });
    QTest::newRow("profile") << "pr1.gsi" << profileSample();
    QTest::newRow("profile, last line unended") << "pr2.gsi" << profileSample().chopped(2);
}

// The benchmark times the gawk script against the converter; it is only a fair
// comparison while both write the same bytes.
void CliTest::theBenchmarksGawkScriptWritesTheSameBytes()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, input);

    if (QOperatingSystemVersion::currentType() == QOperatingSystemVersion::Windows)
        QSKIP("the benchmark and its gawk script run on Linux only (make bench)");
    const QString gawk = QStandardPaths::findExecutable("gawk");
    if (gawk.isEmpty())
        QSKIP("gawk is not installed (tools/install-deps.sh installs it)");
    QTemporaryDir dir;
    QVERIFY(Gsi::writeFile(dir.filePath(name), input));
    const bool alignment = name.startsWith("al");
    QProcess process;
    process.setWorkingDirectory(dir.path());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("LC_ALL", "C");
    process.setProcessEnvironment(environment);
    process.start(gawk,
        { "-b", "-v", alignment ? "kind=alignment" : "kind=profile", "-f",
            QStringLiteral(GAWK_SCRIPT), name });
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitCode(), 0);
    const QByteArray scripted = process.readAllStandardOutput();

    const Run run = convert(dir.path(), { name });
    QCOMPARE(run.exitCode, 0);
    const QByteArray converted = Gsi::readFile(dir.filePath(run.out.value(0)));
    QVERIFY(!converted.isEmpty());
    QCOMPARE(scripted, converted);
}

void CliTest::wildcardsExpandToTheMatchingFiles_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("expanded");
    // What the converter itself lists for a dry run of the same arguments on Windows, where
    // no shell expands them first; empty where the row does not run it.
    QTest::addColumn<QStringList>("listed");

    const QStringList none;
    QTest::newRow("a star in the name")
        << QStringList { "al*.gsi" } << QStringList { "al1.gsi", "al2.gsi", "alx.gsi" }
        << QStringList { "al1PI.gsi", "al2PI.gsi", "alxPI.gsi" };
    QTest::newRow("a question mark")
        << QStringList { "al?.gsi" } << QStringList { "al1.gsi", "al2.gsi", "alx.gsi" }
        << QStringList { "al1PI.gsi", "al2PI.gsi", "alxPI.gsi" };
    QTest::newRow("a folder before the pattern")
        << QStringList { "sub/pr*" } << QStringList { "sub/pr1.gsi", "sub/pr2.gsi" } << none;
    QTest::newRow("no match keeps the pattern")
        << QStringList { "zz*.gsi" } << QStringList { "zz*.gsi" } << none;
    QTest::newRow("options and plain names stay")
        << QStringList { "--profile", "al1.gsi", "*.txt" }
        << QStringList { "--profile", "al1.gsi", "notes.txt" }
        << QStringList { "al1VPI.gsi", "notesVPI.gsi" };
    QTest::newRow("folders are not files") << QStringList { "s*" } << QStringList { "s*" } << none;
    QTest::newRow("sorted as the window sorts, whatever the case")
        << QStringList { "*.md" } << QStringList { "apple.md", "Banana.md", "Zed.md" } << none;
    // The system's collation on Windows puts punctuation before digits, as the window's lists do;
    // the plain folding of the Linux side (where the shell sorts) goes by code.
    QTest::newRow("a capital and an underscore")
        << QStringList { "*.dat" }
        << (onWindows() ? QStringList { "XL_CAPS.dat", "xl17.dat" }
                        : QStringList { "xl17.dat", "XL_CAPS.dat" })
        << none;
    // Alphabetically for the user, as the window's lists sort for the same user: for a Danish
    // user ..., z, æ, ø, å.
    if (onWindows()) {
        QStringList danish { "alå.dk", "AL_CAPS.dk", "alø.dk", "alz.dk", "alæ.dk" };
        QCollator collator { QLocale::system() };
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        std::sort(danish.begin(), danish.end(), collator);
        QTest::newRow("Danish letters in the user's alphabetical order")
            << QStringList { "*.dk" } << danish << none;
        qInfo("the user's locale here: %s, its order: %s", qPrintable(QLocale::system().name()),
            qPrintable(danish.join(' ')));
    }
    // Hidden as the lists hide it: a leading dot on Linux (Windows hides by attribute).
    if (!onWindows())
        QTest::newRow("hidden files are left out")
            << QStringList { "*al1.gsi" } << QStringList { "al1.gsi" } << none;
}

void CliTest::wildcardsExpandToTheMatchingFiles()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, expanded);
    QFETCH(QStringList, listed);

    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("sub"));
    for (const char* name : { "al1.gsi", "al2.gsi", "alx.gsi", "pr1.gsi", "notes.txt",
             "sub/pr1.gsi", "sub/pr2.gsi", "Zed.md", "Banana.md", "apple.md", "XL_CAPS.dat",
             "xl17.dat", ".al1.gsi", "alz.dk", "alæ.dk", "alø.dk", "alå.dk", "AL_CAPS.dk" })
        QVERIFY(Gsi::writeFile(dir.filePath(name), "*\r\n"));
    const QString start = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));
    std::vector<std::filesystem::path> paths;
    for (const QString& argument : arguments)
        paths.push_back(CoreTest::path(argument));
    QStringList result;
    for (const std::filesystem::path& path : expandWildcards(paths))
        result.append(CoreTest::text(path));
    QDir::setCurrent(start);
    QCOMPARE(result, expanded);

    if (QOperatingSystemVersion::currentType() == QOperatingSystemVersion::Windows
        && !listed.isEmpty()) {
        const Run run = convert(dir.path(), QStringList { "--dry-run" } + arguments);
        QCOMPARE(run.err, QStringList());
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, listed);
    }
}

void CliTest::danishTextReadsRightOnAConsole_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("expected");
    QTest::newRow("an error on stderr")
        << QStringList { "road.txt" } << "vælg --alignment eller --profile";
    QTest::newRow("an output path on stdout")
        << QStringList { "søer\\al1.gsi" } << "søer\\al1PI.gsi";
    // No 8-bit code page of a Danish system holds Ω: only characters reach the console whole.
    QTest::newRow("a name outside the ANSI code page")
        << QStringList { "Ωmega\\al1.gsi" } << "Ωmega\\al1PI.gsi";
}

// A console shows characters, whatever its code page; the converter must not hand it bytes of
// another code page ("vælg" read as "vµlg" in code page 850). Wine's C runtime turns bytes for a
// console into characters by itself, so there the Danish rows pass either way and the row with
// a character no 8-bit code page holds is the one that tells.
void CliTest::danishTextReadsRightOnAConsole()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    for (const QString folder : { "søer", "Ωmega" }) {
        QVERIFY(QDir(dir.path()).mkdir(folder));
        QVERIFY(Gsi::writeFile(dir.filePath(folder + "/al1.gsi"), alignmentSample()));
    }
    QVERIFY(Gsi::writeFile(dir.filePath("road.txt"), alignmentSample()));
    const std::optional<QStringList> shown
        = CliPlatform::runOnConsole(QStringLiteral(CONVERTER), arguments, dir.path());
    if (!shown)
        QSKIP("a Linux terminal shows the bytes as they are written");
    QVERIFY2(shown->join('\n').contains(expected), qPrintable(shown->join('\n')));
}

void CliTest::outputsLandBesideTheirInputsOnSharesAndLongPaths_data()
{
    QTest::addColumn<QString>("form");
    QTest::addColumn<bool>("window");
    for (const bool window : { false, true }) {
        const QString by = window ? QStringLiteral(", through the window's call")
                                  : QStringLiteral(", by the converter");
        QTest::newRow(qPrintable("a share's file by its bare name" + by)) << "bare" << window;
        QTest::newRow(qPrintable("a share's file by its UNC path" + by)) << "unc" << window;
        QTest::newRow(qPrintable("a share's file by its \\\\?\\UNC\\ path" + by))
            << "verbatim" << window;
        QTest::newRow(qPrintable("an output path of 259 characters" + by)) << "long" << window;
        QTest::newRow(qPrintable("an input by its 8.3 short name" + by)) << "short" << window;
        // Windows once took it for the console and said "Input/output error".
        QTest::newRow(qPrintable("an input named like a device, con.gsi" + by))
            << "device" << window;
    }
}

// The output lands beside its input, on the same share, and nowhere else: never in a folder
// of the current drive named like the server. Wine maps the share (tests/common/wine-run.sh).
void CliTest::outputsLandBesideTheirInputsOnSharesAndLongPaths()
{
    QFETCH(QString, form);
    QFETCH(bool, window);
    const QString share = qEnvironmentVariable("SIGTELINJE_TEST_SHARE"); // //server/share
    const bool onShare = form != "long" && form != "short" && form != "device";
    if (onShare && share.isEmpty())
        QSKIP("no network share here: the Windows build's tests under Wine map one");
    if (form == "short" && !onWindows())
        QSKIP("only Windows gives files a second, short name");
    if (form == "device" && !onWindows())
        QSKIP("only Windows keeps names for devices");
    QTemporaryDir local;
    std::optional<QTemporaryDir> remote;
    if (onShare)
        remote.emplace(share + QStringLiteral("/run-XXXXXX"));
    QString folder = remote ? remote->path() : local.path();
    QVERIFY(QFileInfo(folder).isDir());
    if (form == "long") {
        // Folder, separator and "al1PI.gsi": 259 characters as the system counts them.
        folder += u'/' + QString(259 - QDir::toNativeSeparators(folder).size() - 11, u'x');
        QVERIFY(QDir().mkpath(folder));
    }
    // The output is named after the long name, whichever name the input was given by.
    const QString stem = form == "short" ? u"alignmentlong"_s
        : form == "device"               ? u"con"_s
                                         : u"al1"_s;
    const QString native = QDir::toNativeSeparators(folder);
    // QFile would open the console by the plain name; the \\.\ form names the file.
    QVERIFY(Gsi::writeFile(
        (form == "device" ? u"\\\\.\\"_s + native + u'\\' : folder + u'/') + stem + u".gsi"_s,
        alignmentSample()));
    QString argument = native + u'\\' + stem + u".gsi"_s;
    if (form == "bare")
        argument = QStringLiteral("al1.gsi");
    else if (form == "verbatim")
        argument = QStringLiteral("\\\\?\\UNC\\") + argument.mid(2);
    else if (form == "long")
        argument = QDir::toNativeSeparators(folder) + QDir::separator() + QStringLiteral("al1.gsi");
    else if (form == "short") {
        const QString shortName = PlatformTest::shortName(folder + u'/' + stem + u".gsi"_s);
        QVERIFY2(!shortName.isEmpty(), "Windows gave the input no short name");
        argument = native + u'\\' + shortName;
    }
    QVERIFY2(form != "short" || !argument.contains(stem), qPrintable(argument));
    const QString expected = form == "short" ? native + u'\\' + stem + u"PI.gsi"_s
                                             : argument.chopped(4) + QStringLiteral("PI.gsi");
    if (form == "long")
        QCOMPARE(expected.size(), 259);
    // Any other form starts on a drive of this machine.
    const QString current = form == "bare" ? folder : local.path();

    if (window) {
        const QString start = QDir::currentPath();
        QVERIFY(QDir::setCurrent(current));
        const Module1::Result result = Module1::ConvertAlignment(CoreTest::path(argument));
        QDir::setCurrent(start);
        QCOMPARE(QString::fromStdString(result.description), QString());
        QCOMPARE(CoreTest::text(result.output), expected);
    } else {
        // Wine starts no program in a UNC folder, so a bare name runs the converter's code here.
        // A name that is not al*.gsi is converted when the kind is given.
        const QStringList arguments
            = form == "device" ? QStringList { "--alignment", argument } : QStringList { argument };
        const Run run
            = form == "bare" ? convertHere(current, arguments) : convert(current, arguments);
        QVERIFY2(run.err.isEmpty(), qPrintable(run.err.join(u'\n')));
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, QStringList { expected });
    }
    QCOMPARE(Gsi::readFile(folder + u'/' + stem + u"PI.gsi"_s),
        CoreTest::convertBytes(Conversion::Alignment, alignmentSample()));
    QCOMPARE(entries(folder), (QStringList { stem + u".gsi"_s, stem + u"PI.gsi"_s }));
    if (!share.isEmpty())
        QVERIFY(!QFileInfo::exists(QStringLiteral("C:/") + share.section(u'/', 2, 2)));
}

void CliTest::programsCarryTheirIconVersionAndManifest_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<bool>("window");
    QTest::newRow("sigtelinje") << QStringLiteral(MAIN_PROGRAM) << true;
    QTest::newRow("sigtelinje-editor") << QStringLiteral(EDITOR_PROGRAM) << true;
    QTest::newRow("sigtelinje-convert") << QStringLiteral(CONVERTER) << false;
}

// What Explorer, the taskbar and the file's Properties show.
void CliTest::programsCarryTheirIconVersionAndManifest()
{
    QFETCH(QString, program);
    QFETCH(bool, window);
    const std::optional<CliPlatform::Identity> identity = CliPlatform::readIdentity(program);
    if (!identity)
        QSKIP("Linux programs carry no such resources; the desktop entry names the icon");
    QCOMPARE(identity->productName, "Sigtelinje");
    QCOMPARE(identity->productVersion, SIGTELINJE_VERSION);
    QCOMPARE(identity->fileVersion, SIGTELINJE_VERSION);
    QVERIFY(identity->fileDescription.startsWith("Sigtelinje"));
    QVERIFY(identity->legalCopyright.contains("Copyright"));
    QVERIFY(identity->hasIcon);
    // Drawn for each size Windows asks for, never scaled from one.
    QCOMPARE(identity->iconSizes, (QList<int> { 16, 24, 32, 48, 256 }));
    QVERIFY2(identity->manifest.contains("level=\"asInvoker\""), qPrintable(identity->manifest));
    QVERIFY(identity->manifest.contains("{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"));
    // The window programs agree with Qt, which makes itself per-monitor aware at start-up.
    QCOMPARE(identity->manifest.contains(">PerMonitorV2</dpiAwareness>"), window);
    // Every DLL is Windows' own or deployed beside the program; the converter, copied on its
    // own, needs none of the compiler's (libwinpthread-1.dll, libstdc++-6.dll).
    const QString system = QDir::fromNativeSeparators(qEnvironmentVariable("SystemRoot"))
        + QStringLiteral("/system32/");
    const QString beside = QFileInfo(program).path() + u'/';
    QVERIFY(!identity->importedDlls.isEmpty());
    for (const QString& dll : identity->importedDlls)
        QVERIFY2(QFileInfo::exists(system + dll) || (window && QFileInfo::exists(beside + dll)),
            qPrintable(dll));
}

QTEST_GUILESS_MAIN(CliTest)
#include "tst_cli.moc"
