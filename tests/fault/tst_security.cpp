// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Names under the user's control reach the help program and the conversions
// as one argument or one path, and nothing in them is interpreted: no shell,
// no wildcard, no option.

#include "drives.h"
#include "faultfiles.h"
#include "form1.h"
#include "gsierror.h"
#include "listboxes.h"
#include "mainwindowtest.h"
#include "module1.h"
#include "nativepath.h"
#include "outputfile.h"
#include "platformtest.h"
#include "previewwindow.h"
#include "roadmodel.h"
#include "systemfaults.h"

#include <QApplication>
#include <QDirIterator>
#include <QOperatingSystemVersion>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>

using namespace FaultFiles;
using namespace Qt::StringLiterals;

namespace {

// Names that a shell would split, expand or run, or a program take for an option.
const char* const Mischief[][2] = {
    { "blanks", "a b  c" },
    { "quotes", "q\"uo'te" },
    { "leading dash", "-h --help" },
    { "command substitution", "$(touch PWNED)" },
    { "backticks and semicolon", "`touch PWNED`;touch PWNED" },
    { "wildcards", "*?[a]" },
    { "redirection and pipe", "x>PWNED|y" },
};

bool onWindows()
{
    return QOperatingSystemVersion::currentType() == QOperatingSystemVersion::Windows;
}

bool anyFileNamed(const QString& folder, const QString& name)
{
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
        QDirIterator::Subdirectories);
    while (it.hasNext())
        if (QFileInfo(it.next()).fileName() == name)
            return true;
    return false;
}

}

class SecurityTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void helpDocumentReachesTheViewerAsOneArgument_data();
    void helpDocumentReachesTheViewerAsOneArgument();
    void clickedNameIsOpenedAsExactlyThatPath_data();
    void clickedNameIsOpenedAsExactlyThatPath();
    void programStartsNoShell_data();
    void programStartsNoShell();
    void outputGetsNoMoreRightsThanItsInput_data();
    void outputGetsNoMoreRightsThanItsInput();
    void unfinishedOutputIsItsOwnersAlone_data();
    void unfinishedOutputIsItsOwnersAlone();
    void anOutputBorrowsNoOneElsesBits_data();
    void anOutputBorrowsNoOneElsesBits();
    void aLinkAtTheOutputNameIsReplacedNotFollowed_data();
    void aLinkAtTheOutputNameIsReplacedNotFollowed();

private:
    QString m_start;
    QList<int> m_reported;
};

void SecurityTest::init()
{
    m_start = QDir::currentPath();
    m_reported.clear();
    Drives::setDrivesForTesting({});
    Form1::setErrorReporter([this](QWidget*, int number, const QString&) { m_reported << number; });
}

void SecurityTest::cleanup()
{
    MainWindowTest::closeWindows();
    QDir::setCurrent(m_start);
}

void SecurityTest::helpDocumentReachesTheViewerAsOneArgument_data()
{
    QTest::addColumn<QString>("folder");
    for (const auto& row : Mischief)
        QTest::newRow(row[0]) << QString::fromUtf8(row[1]);
}

// The program, copied into a folder with such a name, clicks "Hjælp" with the
// real launcher; a stand-in viewer writes down what it was given and the folder it
// started in, which must be its own, never the one being browsed. On Linux the
// stand-in is a script first on PATH; on Windows a copy of this test program, which
// the machine's App Paths registration names, plays the viewer (see main()).
void SecurityTest::helpDocumentReachesTheViewerAsOneArgument()
{
    QFETCH(QString, folder);
    if (onWindows() && folder.contains(QRegularExpression(QStringLiteral("[\"*?<>|]"))))
        QSKIP("Windows allows none of these characters in a file name");
    if (qEnvironmentVariableIsSet("SIGTELINJE_HELP_CLICK")) {
        // The copy: click with the real launcher, then wait for the viewer's note.
        const QString note = qEnvironmentVariable("SIGTELINJE_HELP_NOTE");
        auto* window = new Form1;
        window->show();
        QTest::mouseClick(window->Command1, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(note), 60000);
        QVERIFY(m_reported.isEmpty());
        return;
    }

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString programDir = dir.filePath(folder);
    const QString viewerDir = dir.filePath(QStringLiteral("viewer"));
    const QString note = dir.filePath(QStringLiteral("note"));
    const QString log = dir.filePath(QStringLiteral("click.log"));
    QVERIFY(QDir().mkpath(programDir));
    QVERIFY(QDir().mkpath(viewerDir));
    const QString self = QCoreApplication::applicationFilePath();
    const QString copy = programDir + QLatin1Char('/') + QFileInfo(self).fileName();
    QVERIFY(QFile::copy(self, copy));
    QVERIFY(QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    const QString appPaths = QStringLiteral(
        "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths");
    const auto unregister = qScopeGuard([&] {
        if (onWindows())
            QSettings(appPaths, QSettings::NativeFormat).remove(QStringLiteral("wordpad.exe"));
    });
    if (onWindows()) {
        const QString viewer = viewerDir + QStringLiteral("/wordpad.exe");
        QVERIFY(QFile::copy(self, viewer));
        QSettings(appPaths + QStringLiteral("\\wordpad.exe"), QSettings::NativeFormat)
            .setValue(QStringLiteral("Default"), QDir::toNativeSeparators(viewer));
    } else {
        // The stand-in writes each argument followed by a NUL, then its folder, then moves the
        // note in place.
        QVERIFY(writeRaw((viewerDir + QStringLiteral("/xdg-open")).toUtf8(),
            "#!/bin/sh\n"
            "{ for a in \"$@\"; do printf '%s\\0' \"$a\"; done; printf '%s\\0' \"$(pwd -P)\"; }"
            " > \"$SIGTELINJE_HELP_NOTE.tmp\"\n"
            "mv \"$SIGTELINJE_HELP_NOTE.tmp\" \"$SIGTELINJE_HELP_NOTE\"\n"));
        QVERIFY(QFile::setPermissions(viewerDir + QStringLiteral("/xdg-open"),
            QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }

    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PATH"),
        QDir::toNativeSeparators(viewerDir) + QDir::listSeparator() + qEnvironmentVariable("PATH"));
    environment.insert(QStringLiteral("SIGTELINJE_HELP_CLICK"), QStringLiteral("1"));
    environment.insert(QStringLiteral("SIGTELINJE_HELP_NOTE"), note);
    child.setProcessEnvironment(environment);
    child.setWorkingDirectory(dir.path());
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(copy,
        { QStringLiteral("helpDocumentReachesTheViewerAsOneArgument:")
                + QString::fromUtf8(QTest::currentDataTag()),
            QStringLiteral("-o"), QDir::toNativeSeparators(log) + QStringLiteral(",txt") });
    const bool finished = child.waitForFinished(120000);
    if (!finished)
        child.kill();
    // Under Wine a test program writes its log to a file only, never to a pipe.
    const QByteArray output = readRaw(log.toUtf8());
    QVERIFY2(finished, output.constData());
    QVERIFY2(
        child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0, output.constData());

    const QByteArrayList written = readRaw(note.toUtf8()).split('\0');
    QCOMPARE(written.size(), 3); // the document, the folder, and nothing after the last NUL
    QCOMPARE(
        written[0], QDir::toNativeSeparators(programDir + QStringLiteral("/hlp.rtf")).toUtf8());
    // The viewer's own folder: the system's program on Windows, this program's for xdg-open.
    const QString started = QFileInfo(QString::fromUtf8(written[1])).canonicalFilePath();
    QCOMPARE(started, QFileInfo(onWindows() ? viewerDir : programDir).canonicalFilePath());
    QVERIFY(!anyFileNamed(dir.path(), QStringLiteral("PWNED")));
}

void SecurityTest::clickedNameIsOpenedAsExactlyThatPath_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("chosen"); // the folder chosen in the folder list
    const QString folder = QStringLiteral("-n o"); // starts with a dash and holds a blank
    for (const auto& row : Mischief)
        QTest::newRow(row[0]) << QStringLiteral("al%1.gsi").arg(QString::fromUtf8(row[1]))
                              << folder;
    // Windows takes these for its printer and serial port when they are looked up by name.
    QTest::newRow("a DOS device name") << QStringLiteral("prn.gsi") << folder;
    QTest::newRow("a DOS device name in capitals") << QStringLiteral("PRN.GSI") << folder;
    // Windows drops a trailing dot or blank from a plain path: "dir." and "dir " would be their
    // sibling "dir".
    QTest::newRow("a folder named with a trailing dot beside one without")
        << QStringLiteral("al1.gsi") << QStringLiteral("dir.");
    QTest::newRow("a folder named with a trailing blank beside one without")
        << QStringLiteral("al1.gsi") << QStringLiteral("dir ");
    QTest::newRow("a folder below one named with a trailing dot")
        << QStringLiteral("al1.gsi") << QStringLiteral("dir./sub");
    // Another user's link to a folder of his own lends nothing he could not do himself.
    QTest::newRow("another user's link to his own folder") << u"al1.gsi"_s << u"his/now"_s;
}

// One step at a time: a plain path to its parent would lose a name's trailing dot or blank.
static bool makeFolders(QString at, const QString& relative)
{
    bool made = true;
    for (const QString& step : relative.split(QLatin1Char('/'))) {
        at += QLatin1Char('/') + step;
        made = made && (makeFolder(at.toUtf8()) || QFileInfo(at).isDir());
    }
    return made;
}

// Each file holds its own name, so a conversion of any other file would show.
void SecurityTest::clickedNameIsOpenedAsExactlyThatPath()
{
    QFETCH(QString, name);
    QFETCH(QString, chosen);
    if (onWindows() && name.contains(QRegularExpression(QStringLiteral("[\"*?<>|]"))))
        QSKIP("Windows allows none of these characters in a file name");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = dir.filePath(chosen);
    if (chosen == u"his/now") {
        if (SystemFaults::ownerOf(".").isEmpty() || !PlatformTest::isRoot())
            QSKIP("another user's link is made by root, on a system with Unix owners");
        const QByteArray his = dir.filePath(u"his"_s).toUtf8();
        QVERIFY(makeFolder(his) && makeFolder(his + "/2026") && QFile::link(u"2026"_s, folder));
        for (const QByteArray& mine : { his, his + "/2026", his + "/now" })
            QVERIFY(SystemFaults::setOwner(mine, "nobody"));
    } else {
        QVERIFY(makeFolders(dir.path(), chosen));
    }
    const QByteArray bytes = "*" + name.toUtf8() + "\r\n";
    QVERIFY(writeRaw((folder + QLatin1Char('/') + name).toUtf8(), bytes));
    QVERIFY(writeRaw((folder + QStringLiteral("/alx.gsi")).toUtf8(), "*alx\r\n"));
    // A sibling that a name losing its last dot would lead to, holding other files.
    const QString siblingName = QString(chosen).remove(QRegularExpression(u"[. ](?=/|$)"_s));
    const QString siblingPath = siblingName == chosen ? u"dir"_s : siblingName;
    const QByteArray sibling = dir.filePath(siblingPath).toUtf8();
    QVERIFY(makeFolders(dir.path(), siblingPath));
    QVERIFY(writeRaw(sibling + '/' + name.toUtf8(), "*sibling\r\n"));
    QVERIFY(writeRaw(sibling + "/alsibling.gsi", "*sibling\r\n"));
    QVERIFY(QDir::setCurrent(dir.path()));

    Form1* window = MainWindowTest::openWindow();
    window->Dir1->setPath(NativePath::fromText(folder));
    QVERIFY(MainWindowTest::settle());
    QVERIFY(m_reported.isEmpty());
    const bool alignment = name.startsWith(QStringLiteral("al"));
    FileListBox* list = alignment ? window->File1 : window->File2;
    const QList<QListWidgetItem*> found = list->findItems(name, Qt::MatchExactly);
    QCOMPARE(found.size(), 1);
    QVERIFY(MainWindowTest::clickEntry(list, list->row(found.first())));

    QVERIFY(m_reported.isEmpty());
    const QString output = name.chopped(4) + (alignment ? u"PI.gsi"_s : u"VPI.gsi"_s);
    // One line: a profile's is cut after column 96, which a short name's never reaches.
    QCOMPARE(readRaw((folder + QLatin1Char('/') + output).toUtf8()), bytes);
    QByteArrayList expected { name.toUtf8(), output.toUtf8(), "alx.gsi" };
    std::sort(expected.begin(), expected.end());
    QCOMPARE(listRaw(folder.toUtf8()), expected);
    QByteArrayList untouched { name.toUtf8(), "alsibling.gsi" };
    std::sort(untouched.begin(), untouched.end());
    QCOMPARE(listRaw(sibling), untouched);
    QVERIFY(!anyFileNamed(dir.path(), QStringLiteral("PWNED")));
    // The chosen folder is the process's current folder as the system has it, not the sibling:
    // the system puts a relative name there. Under Wine a relative name below "dir." loses the
    // dot (Wine drops an inner name's last dot however the current folder was set), though the
    // conversions, which name every file by its full path, find that folder.
    if (onWindows() && chosen.contains(QRegularExpression(u"\\.(/|$)"_s)))
        return;
    std::FILE* relative = std::fopen("here.txt", "wb");
    QVERIFY(relative && std::fclose(relative) == 0);
    QVERIFY(listRaw(folder.toUtf8()).contains("here.txt"));
}

void SecurityTest::programStartsNoShell_data()
{
    QTest::addColumn<QString>("call");
    for (const char* call : { "system(", "popen(", "_wsystem(", "ShellExecute", "startCommand(",
             "/bin/sh", "cmd.exe", "\"sh\"", "\"bash\"", "execl(", "execlp(", "execvp(" })
        QTest::newRow(call) << QString::fromLatin1(call);
}

// Every way of starting a program the sources could use, other than handing
// QProcess a program and a list of arguments.
void SecurityTest::programStartsNoShell()
{
    QFETCH(QString, call);
    int files = 0;
    for (const char* part : { "app", "convert", "editor" }) {
        QDirIterator it(QStringLiteral(SIGTELINJE_SOURCE_DIR "/") + QLatin1String(part),
            { QStringLiteral("*.cpp"), QStringLiteral("*.h") }, QDir::Files);
        while (it.hasNext()) {
            QFile source(it.next());
            QVERIFY(source.open(QIODevice::ReadOnly));
            QString text = QString::fromUtf8(source.readAll());
            // Opening a document by its association is allowed: the document goes as the file
            // to open, with no parameters, so nothing of it is read as a command line.
            text.remove(QRegularExpression(
                QStringLiteral("ShellExecuteW\\(nullptr, "
                               "L\"open\",\\s*[^,]*\\(document\\.utf16\\(\\)\\), nullptr,")));
            QVERIFY2(!text.contains(call), qPrintable(source.fileName()));
            ++files;
        }
    }
    QVERIFY(files >= 10);
}

void SecurityTest::outputGetsNoMoreRightsThanItsInput_data()
{
    QTest::addColumn<int>("inputMode");
    QTest::addColumn<int>("outputMode"); // of an output already there; -1 for none
    QTest::addColumn<int>("umask");
    QTest::addColumn<int>("expected");

    QTest::newRow("a private input gives a private output") << 0600 << -1 << 022 << 0600;
    QTest::newRow("a group's input stays the group's") << 0640 << -1 << 027 << 0640;
    QTest::newRow("the umask narrows a new output") << 0666 << -1 << 022 << 0644;
    QTest::newRow("an input's execute bits are not copied") << 0755 << -1 << 0 << 0644;
    // In a shared folder another user may leave an output ready to be replaced.
    QTest::newRow("a replaced output loses set-user-ID and set-group-ID")
        << 0644 << 06755 << 022 << 0755;
    QTest::newRow("a replaced output loses the sticky bit") << 0664 << 01664 << 022 << 0664;
    // Its own bits, but never wider than the input's read and write bits.
    QTest::newRow("a replaced output is no wider than a private input")
        << 0600 << 0666 << 022 << 0600;
    QTest::newRow("a replaced output keeps its own narrower mode") << 0644 << 0600 << 022 << 0600;
}

void SecurityTest::outputGetsNoMoreRightsThanItsInput()
{
    QFETCH(int, inputMode);
    QFETCH(int, outputMode);
    QFETCH(int, umask);
    QFETCH(int, expected);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray input = dir.filePath(QStringLiteral("al1.gsi")).toUtf8();
    const QByteArray output = dir.filePath(QStringLiteral("al1PI.gsi")).toUtf8();
    QVERIFY(writeRaw(input, "*al1\r\n"));
    if (SystemFaults::modeOf(input) < 0)
        QSKIP("this system's files have no mode bits");
    QVERIFY(SystemFaults::setMode(input, inputMode));
    if (outputMode >= 0) {
        QVERIFY(writeRaw(output, ""));
        QVERIFY(SystemFaults::setMode(output, outputMode));
    }
    const int before = SystemFaults::setUmask(umask);
    const auto restore = qScopeGuard([before] { SystemFaults::setUmask(before); });

    const Module1::Result result
        = Module1::ConvertAlignment(QFile::decodeName(input).toStdString());
    QVERIFY2(result.ok(), result.description.c_str());
    QCOMPARE(readRaw(output), QByteArray("*al1\r\n"));
    QCOMPARE(QString::number(SystemFaults::modeOf(output), 8), QString::number(expected, 8));
}

void SecurityTest::unfinishedOutputIsItsOwnersAlone_data()
{
    QTest::addColumn<bool>("named");

    QTest::newRow("an anonymous file") << false;
    QTest::newRow("a named file, where there are no anonymous ones") << true;
}

// Another user can neither read the unfinished output nor take its name first:
// the names an earlier version used are all taken here before it starts.
void SecurityTest::unfinishedOutputIsItsOwnersAlone()
{
    QFETCH(bool, named);

    if (!named && onWindows())
        QSKIP("Windows has no anonymous files");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString pid = QString::number(QCoreApplication::applicationPid());
    for (int i = 0; i <= 100; ++i)
        QVERIFY(
            writeRaw(dir.filePath(QStringLiteral(".sigtelinje-%1-%2.tmp").arg(pid).arg(i)).toUtf8(),
                "taken"));
    const QByteArrayList before = listRaw(dir.path().toUtf8());
    const QString target = dir.filePath(QStringLiteral("al1PI.gsi"));

    OutputFile::useNamedTemporaryForTesting(named);
    const auto restore = qScopeGuard([] { OutputFile::useNamedTemporaryForTesting(false); });
    OutputFile file(QFile::encodeName(target).toStdString(), 0644);
    file.write("*secret\r\n");
    QByteArrayList added = listRaw(dir.path().toUtf8());
    for (const QByteArray& name : before)
        added.removeOne(name);
    if (!named) {
        QCOMPARE(added, QByteArrayList());
    } else {
        QCOMPARE(added.size(), 1);
        QVERIFY2(QRegularExpression(QStringLiteral("^\\.sigtelinje-[0-9a-f]{16}\\.tmp$"))
                     .match(QString::fromUtf8(added.first()))
                     .hasMatch(),
            added.first().constData());
        const QByteArray temporary = dir.filePath(QString::fromUtf8(added.first())).toUtf8();
        // Its owner's alone: no mode bits for others, and on Windows no sharing.
        const int mode = SystemFaults::modeOf(temporary);
        if (mode >= 0)
            QCOMPARE(QString::number(mode, 8), QStringLiteral("600"));
        else
            QCOMPARE(readRaw(temporary), QByteArray("<missing>"));
    }
    file.commit();
    QCOMPARE(readRaw(target.toUtf8()), QByteArray("*secret\r\n"));
    QByteArrayList after = before;
    after.append("al1PI.gsi");
    std::sort(after.begin(), after.end());
    QCOMPARE(listRaw(dir.path().toUtf8()), after);
}

void SecurityTest::anOutputBorrowsNoOneElsesBits_data()
{
    QTest::addColumn<bool>("inputIsLink"); // al1.gsi -> a file of its own
    QTest::addColumn<int>("inputMode");
    QTest::addColumn<QByteArray>("inputOwner");
    QTest::addColumn<QByteArray>("output"); // "none", "file", or "link" to another file
    QTest::addColumn<int>("outputMode");
    QTest::addColumn<QByteArray>("outputOwner");
    QTest::addColumn<QByteArray>("caller");
    QTest::addColumn<int>("expectedMode");
    QTest::addColumn<QString>("expectedOwner");
    QTest::addColumn<QByteArray>("linkOwner"); // who made al1.gsi, where it is a link
    QTest::addColumn<bool>("linkToPrivate"); // the link leads into a private folder
    QTest::addColumn<QByteArray>("setgidBy"); // who owns the folder, set-group-ID; "" for no one
    // "folder": the folder's default access list gives nobody read and write, once the input is
    // there; "input": the input's own list shuts nobody out; "input reads": it lets him read
    QTest::addColumn<QByteArray>("accessList");

    // The umask is 022. In a shared folder anyone may leave a file under the output's name.
    QTest::newRow("another user's 0666 output lends root nothing")
        << false << 0600 << QByteArray("root") << QByteArray("file") << 0666 << QByteArray("nobody")
        << QByteArray("root") << 0600 << "root:root" << QByteArray("root") << false << QByteArray()
        << QByteArray();
    QTest::newRow("a private file reached through a link stays private")
        << true << 0600 << QByteArray("root") << QByteArray("file") << 0666 << QByteArray("nobody")
        << QByteArray("root") << 0600 << "root:root" << QByteArray("root") << false << QByteArray()
        << QByteArray();
    QTest::newRow("a link at the output name is replaced, its target left alone")
        << false << 0644 << QByteArray("root") << QByteArray("link") << 0666 << QByteArray("root")
        << QByteArray("root") << 0644 << "root:root" << QByteArray("root") << false << QByteArray()
        << QByteArray();
    QTest::newRow("root's own 0666 output narrows to a private input")
        << false << 0600 << QByteArray("root") << QByteArray("file") << 0666 << QByteArray("root")
        << QByteArray("root") << 0600 << "root:root" << QByteArray("root") << false << QByteArray()
        << QByteArray();
    QTest::newRow("root converting a user's file leaves the output the user's")
        << false << 0644 << QByteArray("nobody") << QByteArray("file") << 0644
        << QByteArray("nobody") << QByteArray("root") << 0644 << "nobody:nogroup"
        << QByteArray("root") << false << QByteArray() << QByteArray();
    QTest::newRow("nobody: root's 0666 output lends nothing")
        << false << 0600 << QByteArray("nobody") << QByteArray("file") << 0666 << QByteArray("root")
        << QByteArray("nobody") << 0600 << "nobody:nogroup" << QByteArray("root") << false
        << QByteArray() << QByteArray();
    QTest::newRow("nobody: a link at the output name is replaced, its target left alone")
        << false << 0644 << QByteArray("nobody") << QByteArray("link") << 0666 << QByteArray("root")
        << QByteArray("nobody") << 0644 << "nobody:nogroup" << QByteArray("root") << false
        << QByteArray() << QByteArray();
    QTest::newRow("nobody: a private file reached through a link stays private")
        << true << 0600 << QByteArray("nobody") << QByteArray("file") << 0666
        << QByteArray("nobody") << QByteArray("nobody") << 0600 << "nobody:nogroup"
        << QByteArray("root") << false << QByteArray() << QByteArray();
    // The kernel's protected_symlinks rule, in every folder: a link lends nothing.
    QTest::newRow("another user's link to root's readable file gives an owner-only output")
        << true << 0644 << QByteArray("root") << QByteArray("none") << 0 << QByteArray("root")
        << QByteArray("root") << 0600 << "root:root" << QByteArray("nobody") << false
        << QByteArray() << QByteArray();
    QTest::newRow("a link into a private folder gives an owner-only output")
        << true << 0644 << QByteArray("root") << QByteArray("none") << 0 << QByteArray("root")
        << QByteArray("root") << 0600 << "root:root" << QByteArray("root") << true << QByteArray()
        << QByteArray();
    // A new file takes a set-group-ID folder's group; the input's group bits are not for it.
    QTest::newRow("root: another user's setgid folder gets no group rights")
        << false << 0640 << QByteArray("root") << QByteArray("none") << 0 << QByteArray("root")
        << QByteArray("root") << 0640 << "root:root" << QByteArray("root") << false
        << QByteArray("nobody") << QByteArray();
    QTest::newRow("nobody: root's setgid folder gets no group rights")
        << false << 0640 << QByteArray("nobody") << QByteArray("none") << 0 << QByteArray("root")
        << QByteArray("nobody") << 0640 << "nobody:nogroup" << QByteArray("root") << false
        << QByteArray("root") << QByteArray();
    QTest::newRow("another user's read-only file does not block root")
        << false << 0644 << QByteArray("root") << QByteArray("file") << 0444 << QByteArray("nobody")
        << QByteArray("root") << 0644 << "root:root" << QByteArray("root") << false << QByteArray()
        << QByteArray();
    QTest::newRow("a folder's default access list lends nobody the output")
        << false << 0640 << QByteArray("root") << QByteArray("none") << 0 << QByteArray("root")
        << QByteArray("root") << 0640 << "root:root" << QByteArray("root") << false << QByteArray()
        << QByteArray("folder");
    QTest::newRow("an input's access list that shuts nobody out shuts him out of the output")
        << false << 0644 << QByteArray("root") << QByteArray("none") << 0 << QByteArray("root")
        << QByteArray("root") << 0600 << "root:root" << QByteArray("root") << false << QByteArray()
        << QByteArray("input");
    QTest::newRow("an input's access list that only adds a reader keeps the output's bits")
        << false << 0644 << QByteArray("root") << QByteArray("none") << 0 << QByteArray("root")
        << QByteArray("root") << 0644 << "root:root" << QByteArray("root") << false << QByteArray()
        << QByteArray("input reads");
}

// Modes and owners in a shared folder: an output, or the preview's export, is never readable
// or writable by anyone who could not read or write the input or the old output before.
void SecurityTest::anOutputBorrowsNoOneElsesBits()
{
    QFETCH(bool, inputIsLink);
    QFETCH(int, inputMode);
    QFETCH(QByteArray, inputOwner);
    QFETCH(QByteArray, output);
    QFETCH(int, outputMode);
    QFETCH(QByteArray, outputOwner);
    QFETCH(QByteArray, caller);
    QFETCH(int, expectedMode);
    QFETCH(QString, expectedOwner);
    QFETCH(QByteArray, linkOwner);
    QFETCH(bool, linkToPrivate);
    QFETCH(QByteArray, setgidBy);
    QFETCH(QByteArray, accessList);

    if (SystemFaults::ownerOf(".").isEmpty() || !PlatformTest::isRoot())
        QSKIP("owners are set by root, on a system with Unix owners");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray folder = dir.path().toUtf8();
    if (!setgidBy.isEmpty())
        QVERIFY(SystemFaults::setOwner(folder, setgidBy));
    QVERIFY(SystemFaults::setMode(folder, setgidBy.isEmpty() ? 0777 : 02777)); // not sticky
    const QByteArray secret = linkToPrivate ? "private/secret" : "secret";
    if (linkToPrivate)
        QVERIFY(
            makeFolder(folder + "/private") && SystemFaults::setMode(folder + "/private", 0700));
    const QByteArray data = folder + "/" + (inputIsLink ? secret : "al1.gsi");
    QVERIFY(writeRaw(data, "*al1\r\n"));
    QVERIFY(SystemFaults::setMode(data, inputMode));
    QVERIFY(SystemFaults::setOwner(data, inputOwner));
    if (inputIsLink) {
        QVERIFY(QFile::link(QString::fromUtf8(secret), dir.filePath(QStringLiteral("al1.gsi"))));
        QVERIFY(SystemFaults::setOwner(folder + "/al1.gsi", linkOwner));
    }
    if (!accessList.isEmpty()
        && !SystemFaults::grantInAccessList(accessList == "folder" ? folder : data, "nobody",
            accessList == "folder"            ? 6
                : accessList == "input reads" ? 4
                                              : 0,
            accessList == "folder"))
        QSKIP("this file system keeps no access lists");
    const auto nobodyReads = [](const QByteArray& path) {
        return SystemFaults::runAsNobody([&path] {
            QFile file(QString::fromUtf8(path));
            return file.open(QIODevice::ReadOnly) ? 1 : 0;
        }) == 1;
    };
    const bool inputReadable = nobodyReads(folder + "/al1.gsi");
    const QByteArray target = folder + (output == "link" ? "/elsewhere" : "/al1PI.gsi");
    const QByteArray old = "an earlier output\r\n";
    if (output != "none") {
        QVERIFY(writeRaw(target, old));
        QVERIFY(SystemFaults::setMode(target, outputMode));
        QVERIFY(SystemFaults::setOwner(target, outputOwner));
    }
    if (output == "link")
        QVERIFY(
            QFile::link(QStringLiteral("elsewhere"), dir.filePath(QStringLiteral("al1PI.gsi"))));
    const int before = SystemFaults::setUmask(022);
    const auto restore = qScopeGuard([before] { SystemFaults::setUmask(before); });

    const std::filesystem::path input = (dir.path() + QStringLiteral("/al1.gsi")).toStdString();
    const auto convert
        = [&input] { return Module1::convertFile(Module1::Conversion::Alignment, input).error; };
    QCOMPARE(caller == "root" ? convert() : SystemFaults::runAsNobody(convert), 0);

    // The preview's export of the same input follows the same rule beside it, and is its owner's
    // alone in any other folder.
    QTemporaryDir elsewhere;
    QVERIFY(elsewhere.isValid());
    QVERIFY(SystemFaults::setMode(elsewhere.path().toUtf8(), 0777));
    const QByteArray exports[] = { folder + "/al1.png", elsewhere.path().toUtf8() + "/al1.png" };
    const auto exportBoth = [&input, &exports] {
        const RoadModel::Source source = RoadModel::load(RoadModel::Kind::Alignment, input).source;
        for (const QByteArray& to : exports)
            if (const auto error = PreviewWindow::writeExport(to.toStdString(), source, "drawing"))
                return error->number();
        return 0;
    };
    QCOMPARE(caller == "root" ? exportBoth() : SystemFaults::runAsNobody(exportBoth), 0);
    QCOMPARE(
        QString::number(SystemFaults::modeOf(exports[0]), 8), QString::number(expectedMode, 8));
    QCOMPARE(QString::number(SystemFaults::modeOf(exports[1]), 8),
        QString::number(expectedMode & 0600, 8));

    const QByteArray written = folder + "/al1PI.gsi";
    QCOMPARE(readRaw(written), QByteArray("*al1\r\n"));
    QVERIFY2(!QFileInfo(QString::fromUtf8(written)).isSymLink(), "the output is still a link");
    QCOMPARE(QString::number(SystemFaults::modeOf(written), 8), QString::number(expectedMode, 8));
    QCOMPARE(SystemFaults::ownerOf(written), expectedOwner);
    QVERIFY2(inputReadable || !nobodyReads(written), "nobody reads what he could not read before");
    if (output == "link") {
        QCOMPARE(readRaw(target), old);
        QCOMPARE(QString::number(SystemFaults::modeOf(target), 8), QString::number(outputMode, 8));
    }
}

void SecurityTest::aLinkAtTheOutputNameIsReplacedNotFollowed_data()
{
    QTest::addColumn<QByteArray>("old"); // what stands at the output's name
    QTest::newRow("a link to another file") << QByteArray("link");
    QTest::newRow("a link to a file that does not exist") << QByteArray("dangling");
    QTest::newRow("a hidden output stays hidden") << QByteArray("hidden");
}

// A link at the output's name is replaced by the output; what it leads to is left as it was.
// Windows' ReplaceFileW followed it and deleted the other file.
void SecurityTest::aLinkAtTheOutputNameIsReplacedNotFollowed()
{
    QFETCH(QByteArray, old);
    if (old == "dangling" && onWindows())
        QSKIP("Wine shows a Unix link that leads nowhere as no file at all");
    if (old == "hidden" && !onWindows())
        QSKIP("hidden by attribute on Windows only");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray folder = dir.path().toUtf8();
    QVERIFY(makeFolder(folder + "/other"));
    QVERIFY(writeRaw(folder + "/al1.gsi", "*al1\r\n"));
    const QByteArray victim = "the other file\r\n";
    if (old == "link")
        QVERIFY(writeRaw(folder + "/other/victim.txt", victim));
    const QString output = dir.filePath(u"al1PI.gsi"_s);
    if (old == "hidden") {
        QVERIFY(writeRaw(output.toUtf8(), "an earlier output\r\n"));
        QVERIFY(PlatformTest::markHiddenOrSystem(output, false));
    } else {
        QVERIFY(PlatformTest::makeSymbolicLink(u"other/victim.txt"_s, output));
    }

    const Module1::Result result = Module1::convertFile(Module1::Conversion::Alignment,
        std::filesystem::path(dir.filePath(u"al1.gsi"_s).toStdU16String()));
    QVERIFY2(result.ok(), result.description.c_str());

    QCOMPARE(readRaw(output.toUtf8()), QByteArray("*al1\r\n"));
    QCOMPARE(listRaw(folder + "/other"),
        old == "link" ? QByteArrayList { "victim.txt" } : QByteArrayList {});
    if (old == "link")
        QCOMPARE(readRaw(folder + "/other/victim.txt"), victim);
    if (old == "hidden")
        QVERIFY(QFileInfo(output).isHidden());
    else
        QVERIFY(!QFileInfo(output).isSymLink());
}

// Started as the help viewer (a copy named as the viewer, on Windows), the
// program writes down each argument it got, followed by a NUL, and ends.
static bool playTheViewer(int argc, char* argv[])
{
    const QString name = QFileInfo(QString::fromLocal8Bit(argv[0])).fileName();
    if (name.compare(QFileInfo(Form1::helpProgram()).fileName(), Qt::CaseInsensitive) != 0)
        return false;
    QCoreApplication viewer(argc, argv); // for the arguments as the system gave them
    const QString note = qEnvironmentVariable("SIGTELINJE_HELP_NOTE");
    QByteArray written;
    for (const QString& argument : QCoreApplication::arguments().mid(1))
        written += argument.toUtf8() + '\0';
    written += QDir::currentPath().toUtf8() + '\0';
    QFile tmp(note + QStringLiteral(".tmp"));
    return tmp.open(QIODevice::WriteOnly) && tmp.write(written) == written.size() && tmp.flush()
        && (tmp.close(), QFile::rename(note + QStringLiteral(".tmp"), note));
}

int main(int argc, char* argv[])
{
    if (argc > 0 && playTheViewer(argc, argv))
        return 0;
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    SecurityTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_security.moc"
