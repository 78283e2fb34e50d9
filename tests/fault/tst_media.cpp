// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "fusemount.h"
#include "gsisamples.h"
#include "systemfaults.h"
#include "textlines.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstring>

// Conversions on the media surveyors carry: USB sticks in exFAT or FAT, NTFS disks, shares that
// keep no Unix modes (bindfs --chmod-deny stands in for them), a CD image. Each is a real FUSE
// file system, so every fallback is reached because the medium refuses, not because a test
// asks for it. The batch converter runs as a user runs it, as root and as nobody.

using Kind = FuseMount::Kind;

namespace {

struct Run {
    int exitCode = -1;
    QStringList out;
    QStringList err;
};

// `user` "nobody" runs it as that user, the way a surveyor without root does.
Run convert(const QString& folder, const QString& user, const QStringList& arguments,
    const QStringList& wrapper = {})
{
    QStringList command = wrapper;
    if (user == QLatin1String("nobody"))
        command << QStringLiteral("setpriv") << QStringLiteral("--reuid=nobody")
                << QStringLiteral("--regid=nogroup") << QStringLiteral("--clear-groups");
    command << QStringLiteral(CONVERTER) << arguments;
    QProcess process;
    process.setWorkingDirectory(folder);
    process.start(command.takeFirst(), command);
    Run run;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        run.err << QStringLiteral("<hung>");
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = textLines(process.readAllStandardOutput());
    run.err = textLines(process.readAllStandardError());
    return run;
}

QStringList everything(const QString& folder)
{
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

QByteArray fixture(const QString& name)
{
    return Gsi::readFile(QDir(QStringLiteral(FIXTURES)).filePath(name));
}

// A folder that nobody may pass through and write in, as a shared folder on a stick is.
bool openToEveryone(const QString& path)
{
    return QFile::setPermissions(path,
        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup
            | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther
            | QFile::ExeOther);
}

// A medium mounted in a folder of its own; `skip` holds why not, for QSKIP.
struct Medium {
    QTemporaryDir place;
    QString source;
    std::unique_ptr<FuseMount> mount;
    QString skip;

    Medium(Kind kind, const QStringList& options)
    {
        skip = FuseMount::unavailable(kind);
        if (!skip.isEmpty())
            return;
        openToEveryone(place.path());
        source = place.filePath(QStringLiteral("source"));
        QDir().mkpath(source);
        openToEveryone(source);
        mount = std::make_unique<FuseMount>(
            kind, place.filePath(QStringLiteral("medium")), options, source);
    }
    QString path() const { return mount->mountPoint(); }
};

}

class MediaTest : public QObject {
    Q_OBJECT

private slots:
    void aConversionWritesAndReplacesItsOutput_data();
    void aConversionWritesAndReplacesItsOutput();
    void aReadOnlyOutputIsRefusedWhereTheMediumHasModes_data();
    void aReadOnlyOutputIsRefusedWhereTheMediumHasModes();
    void aFailureIsReportedByItsTrueCause_data();
    void aFailureIsReportedByItsTrueCause();
    void anInterruptLeavesNoTemporaryFile_data();
    void anInterruptLeavesNoTemporaryFile();
};

void MediaTest::aConversionWritesAndReplacesItsOutput_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("user");
    // The caller's own output before, and its mode after each round; 0 for none. The input is
    // then nobody's, of his group.
    QTest::addColumn<int>("oldMode");
    QTest::addColumn<int>("newMode");

    const QStringList forAll { QStringLiteral("allow_other"), QStringLiteral("umask=0") };
    const QStringList chmodDenied { QStringLiteral("--chmod-deny") };
    QTest::newRow("exFAT stick for all users, as root")
        << int(Kind::ExFat) << forAll << "root" << 0 << 0;
    QTest::newRow("exFAT stick for all users, as nobody")
        << int(Kind::ExFat) << forAll << "nobody" << 0 << 0;
    QTest::newRow("share refusing chmod, as root")
        << int(Kind::Bindfs) << chmodDenied << "root" << 0 << 0;
    QTest::newRow("share refusing chmod, as nobody")
        << int(Kind::Bindfs) << chmodDenied << "nobody" << 0 << 0;
    // Made with its final mode, as chmod is refused: its execute bits stay, the input's group
    // is not the one a new file gets, so that group gets nothing.
    QTest::newRow("share refusing chmod, as root, over its own executable output")
        << int(Kind::Bindfs) << chmodDenied << "root" << 0755 << 0705;
    QTest::newRow("FAT stick, as root") << int(Kind::Fat) << QStringList() << "root" << 0 << 0;
    QTest::newRow("NTFS disk, as root")
        << int(Kind::Ntfs) << QStringList { "allow_other" } << "root" << 0 << 0;
}

void MediaTest::aConversionWritesAndReplacesItsOutput()
{
    QFETCH(int, kind);
    QFETCH(QStringList, options);
    QFETCH(QString, user);
    QFETCH(int, oldMode);
    QFETCH(int, newMode);

    Medium medium(Kind(kind), options);
    if (!medium.skip.isEmpty())
        QSKIP(qPrintable(medium.skip));
    QVERIFY2(medium.mount->isMounted(), qPrintable(medium.mount->error()));
    QVERIFY(Gsi::writeFile(QDir(medium.path()).filePath("al17.gsi"), fixture("al17.gsi")));
    QVERIFY(Gsi::writeFile(QDir(medium.path()).filePath("pr17.gsi"), fixture("pr17.gsi")));
    const QByteArray output = QFile::encodeName(QDir(medium.path()).filePath("al17PI.gsi"));
    if (oldMode) {
        QVERIFY(Gsi::writeFile(QString::fromLocal8Bit(output), "an earlier output\r\n"));
        // Through the folder the share shows, which keeps modes.
        const QByteArray source = QFile::encodeName(medium.source);
        QVERIFY(SystemFaults::setMode(source + "/al17PI.gsi", oldMode));
        QVERIFY(SystemFaults::setOwner(source + "/al17.gsi", "nobody"));
    }

    // The second round replaces the first one's outputs.
    for (int round = 1; round <= 2; ++round) {
        const Run run = convert(medium.path(), user, { "al17.gsi", "pr17.gsi" });
        QCOMPARE(run.err.join('\n'), QString());
        QCOMPARE(run.out, (QStringList { "al17PI.gsi", "pr17VPI.gsi" }));
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(
            Gsi::readFile(QDir(medium.path()).filePath("al17PI.gsi")), fixture("al17PI.expected"));
        QCOMPARE(Gsi::readFile(QDir(medium.path()).filePath("pr17VPI.gsi")),
            fixture("pr17VPI.expected"));
        QCOMPARE(everything(medium.path()),
            (QStringList { "al17.gsi", "al17PI.gsi", "pr17.gsi", "pr17VPI.gsi" }));
        // Where the medium keeps modes, others read the output as they read the input, even
        // where it refuses chmod: the file is made with its final mode.
        if (Kind(kind) == Kind::Bindfs)
            QCOMPARE(QFileInfo(QDir(medium.path()).filePath("al17PI.gsi")).permissions()
                    & QFile::ReadOther,
                QFileInfo(QDir(medium.path()).filePath("al17.gsi")).permissions()
                    & QFile::ReadOther);
        if (newMode)
            QCOMPARE(QString::number(SystemFaults::modeOf(output), 8), QString::number(newMode, 8));
    }
}

void MediaTest::aReadOnlyOutputIsRefusedWhereTheMediumHasModes_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("said"); // the cause named

    const QStringList chmodDenied { QStringLiteral("--chmod-deny") };
    const QString file = QStringLiteral("al17PI.gsi er skrivebeskyttet");
    QTest::newRow("a share, as root") << QStringList() << "root" << file;
    QTest::newRow("a share, as nobody") << QStringList() << "nobody" << file;
    QTest::newRow("a share refusing chmod, as root") << chmodDenied << "root" << file;
    QTest::newRow("a share refusing chmod, as nobody") << chmodDenied << "nobody" << file;
    // The medium is the true cause, whatever the file's own bits say.
    QTest::newRow("a share mounted read-only: the medium is named")
        << QStringList { QStringLiteral("ro") } << "root"
        << QStringLiteral("Filsystemet er skrivebeskyttet");
}

// Surveyors protect finished files by their mode; a medium that shows modes keeps that working.
void MediaTest::aReadOnlyOutputIsRefusedWhereTheMediumHasModes()
{
    QFETCH(QStringList, options);
    QFETCH(QString, user);
    QFETCH(QString, said);

    Medium medium(Kind::Bindfs, options);
    if (!medium.skip.isEmpty())
        QSKIP(qPrintable(medium.skip));
    QVERIFY2(medium.mount->isMounted(), qPrintable(medium.mount->error()));
    // Made in the folder under the medium, as its owner made them.
    const QDir source(medium.source);
    QVERIFY(Gsi::writeFile(source.filePath("al17.gsi"), fixture("al17.gsi")));
    const QByteArray old = "a finished output\r\n";
    QVERIFY(Gsi::writeFile(source.filePath("al17PI.gsi"), old));
    QVERIFY(QFile::setPermissions(
        source.filePath("al17PI.gsi"), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    const QStringList before = everything(medium.path());

    const Run run = convert(medium.path(), user, { "al17.gsi" });

    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.out, QStringList());
    QCOMPARE(run.err.size(), 1);
    QVERIFY2(run.err.first().startsWith("sigtelinje-convert: Fejl 70: ")
            && run.err.first().contains(said) && run.err.first().contains("al17PI.gsi"),
        qPrintable(run.err.first()));
    QCOMPARE(everything(medium.path()), before);
    QCOMPARE(Gsi::readFile(QDir(medium.path()).filePath("al17PI.gsi")), old);
}

void MediaTest::aFailureIsReportedByItsTrueCause_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QStringList>("strace"); // faults injected into the converter
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("said");

    // A CD image makes no files (ENOSYS), and it shows no free space, which is not what is wrong.
    QTest::newRow("a CD image makes no files: 70, read-only, not 57 or 61")
        << int(Kind::Iso) << QStringList() << 70 << "skrivebeskyttet";
    // A FAT stick shows no Unix modes and, through FUSE, little free space.
    QTest::newRow("an I/O error on a FAT stick: 57, not 61")
        << int(Kind::Fat) << QStringList { "-e", "inject=fsync,fdatasync:error=EIO" } << 57
        << "kunne ikke skrives";
    // fusefat's answer to a create in a full folder; the folder is there, so it is not 76.
    QTest::newRow("a folder that is there refuses a create with ENOENT: 57, the system's words")
        << int(Kind::Slow) << QStringList() << 57
        << "kunne ikke skrives: " + QString::fromLocal8Bit(std::strerror(ENOENT));
}

void MediaTest::aFailureIsReportedByItsTrueCause()
{
    QFETCH(int, kind);
    QFETCH(QStringList, strace);
    QFETCH(int, number);
    QFETCH(QString, said);

    if (!strace.isEmpty() && QStandardPaths::findExecutable(QStringLiteral("strace")).isEmpty())
        QSKIP("strace is not installed; tools/install-deps.sh installs it");
    QTemporaryDir files;
    QVERIFY(Gsi::writeFile(files.filePath("al17.gsi"), fixture("al17.gsi")));
    Medium medium(Kind(kind), {});
    if (!medium.skip.isEmpty())
        QSKIP(qPrintable(medium.skip));
    if (Kind(kind) == Kind::Iso) {
        medium.mount.reset();
        QVERIFY(QFile::copy(files.filePath("al17.gsi"), QDir(medium.source).filePath("al17.gsi")));
        medium.mount = std::make_unique<FuseMount>(
            Kind::Iso, QDir(medium.place.path()).filePath("medium"), QStringList(), medium.source);
    }
    QVERIFY2(medium.mount->isMounted(), qPrintable(medium.mount->error()));
    // The slow medium shows its source as it is, and takes no new file itself.
    const QString place = Kind(kind) == Kind::Slow ? medium.source : medium.path();
    if (Kind(kind) != Kind::Iso)
        QVERIFY(QFile::copy(files.filePath("al17.gsi"), QDir(place).filePath("al17.gsi")));
    const QStringList before = everything(medium.path());

    QStringList wrapper;
    if (!strace.isEmpty())
        wrapper = QStringList { "strace", "-f", "-o", "/dev/null" } + strace;
    const Run run = convert(medium.path(), "root", { "al17.gsi" }, wrapper);

    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.err.size(), 1);
    QVERIFY2(run.err.first().startsWith(QStringLiteral("sigtelinje-convert: Fejl %1: ").arg(number))
            && run.err.first().contains(said) && run.err.first().contains("al17PI.gsi"),
        qPrintable(run.err.first()));
    QCOMPARE(everything(medium.path()), before);
}

void MediaTest::anInterruptLeavesNoTemporaryFile_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("signal");
    QTest::addColumn<bool>("editor"); // the editor's Save rather than a conversion

    const QStringList forAll { QStringLiteral("allow_other"), QStringLiteral("umask=0") };
    QTest::newRow("Ctrl+C on an exFAT stick") << int(Kind::ExFat) << forAll << "INT" << false;
    QTest::newRow("SIGTERM on an exFAT stick") << int(Kind::ExFat) << forAll << "TERM" << false;
    QTest::newRow("SIGTERM on a share refusing chmod")
        << int(Kind::Bindfs) << QStringList { QStringLiteral("--chmod-deny") } << "TERM" << false;
    QTest::newRow("SIGTERM during the editor's Save on an exFAT stick")
        << int(Kind::ExFat) << forAll << "TERM" << true;
}

// The editor on an X server of its own, a letter typed and Save chosen by the keyboard (Alt+F,
// S) as a user does; the signal arrives as the new text is flushed to the medium. The trace
// says whether the Save had begun.
const char* const EditorSession = R"sh(
strace -f -o "$LOG" -e trace=openat,fsync,fdatasync -e inject=fsync,fdatasync:signal="$SIGNAL" \
    "$EDITOR" notes.txt &
pid=$!
window=$(timeout 60 xdotool search --sync --onlyvisible --name 'Text Editor: ' | head -n 1)
for _ in $(seq 100); do
    xdotool windowfocus "$window" 2>/dev/null || true
    [ "$(xdotool getwindowfocus)" = "$window" ] && break
    sleep 0.1
done
xdotool type x
xdotool key --delay 100 alt+f s
wait $pid
)sh";

// No medium here has anonymous files, so the unfinished output has a name while it is written.
// The signal arrives as the converter writes its first bytes.
void MediaTest::anInterruptLeavesNoTemporaryFile()
{
    QFETCH(int, kind);
    QFETCH(QStringList, options);
    QFETCH(QString, signal);
    QFETCH(bool, editor);

    if (QStandardPaths::findExecutable(QStringLiteral("strace")).isEmpty())
        QSKIP("strace is not installed; tools/install-deps.sh installs it");
    if (editor
        && (QStandardPaths::findExecutable(QStringLiteral("xvfb-run")).isEmpty()
            || QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty()))
        QSKIP(
            "the editor's window needs xvfb-run and xdotool; tools/install-deps.sh installs them");
    Medium medium(Kind(kind), options);
    if (!medium.skip.isEmpty())
        QSKIP(qPrintable(medium.skip));
    QVERIFY2(medium.mount->isMounted(), qPrintable(medium.mount->error()));
    const QDir here(medium.path());
    QVERIFY(Gsi::writeFile(here.filePath("al17.gsi"), fixture("al17.gsi")));
    const QByteArray old = "an earlier output\r\n";
    const QString target = here.filePath(editor ? "notes.txt" : "al17PI.gsi");
    QVERIFY(Gsi::writeFile(target, old));
    const QStringList before = everything(medium.path());

    QProcess process;
    process.setWorkingDirectory(medium.path());
    QTemporaryDir traces;
    const QString log = traces.filePath("strace.log");
    if (editor) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("QT_QPA_PLATFORM");
        environment.insert("EDITOR", EDITOR);
        environment.insert("SIGNAL", signal);
        environment.insert("LOG", log);
        process.setProcessEnvironment(environment);
        process.start("xvfb-run", { "-a", "sh", "-c", EditorSession });
    } else {
        process.start("strace",
            { "-f", "-o", "/dev/null", "-e", "inject=write:signal=" + signal + ":when=1", CONVERTER,
                "al17.gsi" });
    }
    QVERIFY(process.waitForFinished(120000));
    if (editor) {
        // The Save had made its unfinished file when the signal came.
        const QByteArray trace = Gsi::readFile(log);
        const qsizetype created = trace.indexOf(".sigtelinje-");
        QVERIFY2(created >= 0 && trace.indexOf("--- SIG" + signal.toLatin1(), created) > created,
            trace.right(2000).constData());
    }

    // Ended by the signal (strace then ends by it too), not as if nothing had happened.
    QVERIFY2(process.exitStatus() == QProcess::CrashExit || process.exitCode() != 0,
        process.readAllStandardError().constData());
    QCOMPARE(everything(medium.path()), before);
    QCOMPARE(Gsi::readFile(target), old);
}

QTEST_GUILESS_MAIN(MediaTest)
#include "tst_media.moc"
