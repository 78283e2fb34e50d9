// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Faults met through the real main window: every row clicks a file in Form1
// and then checks four things: the outcome (a correct conversion, or the
// error number with a description naming the file), that no partial,
// temporary or emptied file is left, that an existing output is untouched
// on failure, and that the window goes on to convert the next file.

#include "drives.h"
#include "faultfiles.h"
#include "form1.h"
#include "fusemount.h"
#include "gsisamples.h"
#include "listboxes.h"
#include "mainwindowtest.h"
#include "module1.h"
#include "smalldisk.h"
#include "systemfaults.h"
#include "traced.h"
#include "unprivileged.h"

#include <QComboBox>
#include <QLineEdit>
#include <QOperatingSystemVersion>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace FaultFiles;
using SystemFaults::makeFifo;

enum class Content { Empty, AllByteValues, NoLineEnd64MB, Lines1001, MegabyteLine, Small };
enum class Fault {
    None,
    InputDeletedAfterListing,
    FolderDeletedWhileShown,
    OutputIsAFolder,
    FolderNotWritable,
    OutputReadOnly,
    InputHeldOpen,
    OutputHeldOpen,
    DiskFull,
    InputIsAFifo,
    InputOverTheSizeLimit,
    ReadOnlyFileSystem
};
Q_DECLARE_METATYPE(Content)
Q_DECLARE_METATYPE(Fault)

namespace {

struct Reported {
    int number;
    QString description;
};

const QByteArray OldOutput = "an earlier output that must survive\r\n";
const QByteArray NextInput = "*next\r\n*11....+0000000000001250\r\n";
const QByteArray NextOutput = "*next\r\n*11....+0000000000001250 \r\n";

// n characters from column s, counted from 1, as the conversions cut them.
QByteArray cols(const QByteArray& line, int column, int n) { return line.mid(column - 1, n); }

QByteArray profileLine()
{
    return "*11....+0000000000001250 83..10+0000000000012500 "
           "72...0-0000000000004000 73...0+0000000000000000 ";
}

QByteArray megabyteLine()
{
    QByteArray line = profileLine() + QByteArray(1024 * 1024, '5');
    line[0] = '*';
    return line;
}

QByteArray inputFor(Content content, bool alignment)
{
    switch (content) {
    case Content::Empty:
        return {};
    case Content::AllByteValues: {
        QByteArray all(256, '\0');
        for (int i = 0; i < 256; ++i)
            all[i] = char(i);
        return all;
    }
    case Content::NoLineEnd64MB:
        return '*' + QByteArray(64 * 1024 * 1024 - 1, '8');
    case Content::Lines1001:
        return Gsi::crlf(QByteArrayList(1001, "*11....+0000000000001250 "));
    case Content::MegabyteLine:
        return Gsi::alignmentHeader() + "\r\n" + megabyteLine() + "\r\n";
    case Content::Small:
        return Gsi::alignmentHeader() + "\n" + (alignment ? Gsi::coordinateLine() : profileLine())
            + "\n";
    }
    return {};
}

// What the rules give for each content, worked out here column by column.
QByteArray expectedFor(Content content, bool alignment)
{
    const QByteArray header = Gsi::alignmentHeader();
    switch (content) {
    case Content::Empty:
        return {};
    case Content::AllByteValues: {
        // Lines end at LF (byte 10) and at the lone CR (byte 13); no line holds a mark.
        const QByteArray all = inputFor(content, true);
        const QByteArray first = all.left(10), second = all.mid(11, 2), third = all.mid(14);
        const QByteArray thirdOut = cols(third, 1, 55) + cols(third, 56, 41) + cols(third, 129, 16)
            + cols(third, 105, 16) + ' ';
        return first + "\r\n" + second + " \r\n" + thirdOut + "\r\n";
    }
    case Content::NoLineEnd64MB:
        return inputFor(content, true) + "\r\n";
    case Content::Lines1001:
        return {};
    case Content::MegabyteLine: {
        const QByteArray line = megabyteLine();
        return header + "\r\n" + cols(line, 1, 55) + '+' + cols(line, 57, 40) + "\r\n";
    }
    case Content::Small:
        if (alignment)
            return header + "\r\n"
                + "*11....+0000000000001250 71....+0000000000000002 "
                  "72...0+0000000000250000 73...0+0000000000000000 "
                  "81..10-0000000087654321 82..10+0000000012345678 \r\n";
        return header + "\r\n"
            + "*11....+0000000000001250 83..10+0000000000012500 "
              "72...0+0000000000004000 73...0+0000000000000000\r\n";
    }
    return {};
}

QByteArray outputNameFor(const QByteArray& input)
{
    return input.chopped(4) + (input.startsWith("al") ? "PI.gsi" : "VPI.gsi");
}

}

class FaultTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void faultIsSurvivedWithNothingLost_data();
    void faultIsSurvivedWithNothingLost();
    void unreadableFolderSaysWhyAndTheWindowStays_data();
    void unreadableFolderSaysWhyAndTheWindowStays();
    void stalledDriveHoldsUpNoOtherWork();

private:
    void workBesideAStalledDrive(const QString& stalled);

    QTemporaryDir m_dir;
    QString m_start;
    QList<Reported> m_reported;
    QByteArray m_readOnly;
    QByteArray m_row;
};

void FaultTest::init()
{
    QVERIFY(m_dir.isValid());
    m_start = QDir::currentPath();
    m_reported.clear();
    Drives::setDrivesForTesting({});
    Form1::setErrorReporter([this](QWidget*, int number, const QString& description) {
        m_reported.append({ number, description });
    });
    Form1::setHelpLauncher([](const QString&, const QStringList&) { return true; });
}

void FaultTest::cleanup()
{
    MainWindowTest::closeWindows();
    QDir::setCurrent(m_start);
    if (!m_readOnly.isEmpty())
        allowWriting(m_readOnly);
    m_readOnly.clear();
    releaseHeld();
    // QTemporaryDir cannot remove a name that is not UTF-8; each row's folder goes here.
    if (!m_row.isEmpty())
        removeTree(m_row);
    m_row.clear();
}

void FaultTest::faultIsSurvivedWithNothingLost_data()
{
    QTest::addColumn<QByteArray>("folder"); // the shown folder, inside the row's own
    QTest::addColumn<QByteArray>("name"); // the one file listed there, as raw bytes
    QTest::addColumn<Content>("content");
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<bool>("existingOutput");
    QTest::addColumn<int>("error"); // 0: converts to expectedFor(content)
    QTest::addColumn<QByteArray>("named"); // the file the description names

    const QByteArray in = "in", out = "output";
    using C = Content;
    using F = Fault;
    QTest::newRow("0-byte file") << in << QByteArray("al0.gsi") << C::Empty << F::None << true << 0
                                 << out;
    QTest::newRow("all 256 byte values")
        << in << QByteArray("al256.gsi") << C::AllByteValues << F::None << false << 0 << out;
    QTest::newRow("64 MB with no line end")
        << in << QByteArray("al64.gsi") << C::NoLineEnd64MB << F::None << true << 0 << out;
    QTest::newRow("1001 lines") << in << QByteArray("pr1001.gsi") << C::Lines1001 << F::None << true
                                << 9 << QByteArray("input");
    QTest::newRow("a line of 1 MB")
        << in << QByteArray("pr1mb.gsi") << C::MegabyteLine << F::None << true << 0 << out;
    QTest::newRow("name with blanks")
        << in << QByteArray("al vej 17 .gsi") << C::Small << F::None << true << 0 << out;
    QTest::newRow("name with Danish letters")
        << in << QByteArray("pr Æblevej ø å.gsi") << C::Small << F::None << true << 0 << out;
    QTest::newRow("folder and name with a leading -")
        << QByteArray("-i") << QByteArray("al-17.gsi") << C::Small << F::None << true << 0 << out;
    // Names are bytes on Linux; on Windows they are UTF-16 and cannot be invalid.
    if (!PlatformTest::onWindows()) {
        QTest::newRow("name that is not UTF-8")
            << in << QByteArray("al\xff\xfe-\xc3(.gsi") << C::Small << F::None << true << 0 << out;
        QTest::newRow("folder whose name is not UTF-8")
            << QByteArray("\xff-vej") << QByteArray("pr9.gsi") << C::Small << F::None << true << 0
            << out;
    }
    QTest::newRow("input deleted between listing and click")
        << in << QByteArray("al5.gsi") << C::Small << F::InputDeletedAfterListing << true << 53
        << QByteArray("input");
    // Windows keeps the current folder from vanishing: only the file in it goes.
    QTest::newRow("folder deleted while shown")
        << in << QByteArray("pr5.gsi") << C::Small << F::FolderDeletedWhileShown << false
        << (currentFolderCannotVanish() ? 53 : 76) << QByteArray("input");
    QTest::newRow("output name is an existing folder")
        << in << QByteArray("al6.gsi") << C::Small << F::OutputIsAFolder << false << 75 << out;
    QTest::newRow("output folder cannot be written")
        << in << QByteArray("pr6.gsi") << C::Small << F::FolderNotWritable << true << 70 << out;
    QTest::newRow("read-only output, even to root")
        << in << QByteArray("pr8.gsi") << C::Small << F::OutputReadOnly << true << 70 << out;
    QTest::newRow("full disk") << in << QByteArray("al7.gsi") << C::Small << F::DiskFull << true
                               << 61 << out;
    QTest::newRow("read-only file system")
        << in << QByteArray("pr7.gsi") << C::Small << F::ReadOnlyFileSystem << true << 70 << out;
    QTest::newRow("one byte over the size limit")
        << in << QByteArray("al65.gsi") << C::Small << F::InputOverTheSizeLimit << true << 7
        << QByteArray("input");
    if (QOperatingSystemVersion::currentType() != QOperatingSystemVersion::Windows)
        QTest::newRow("a FIFO that no one writes to, in place of a listed file")
            << in << QByteArray("alfifo.gsi") << C::Small << F::InputIsAFifo << true << 75
            << QByteArray("input");
    if (QOperatingSystemVersion::currentType() == QOperatingSystemVersion::Windows) {
        QTest::newRow("input held open without sharing")
            << in << QByteArray("al8.gsi") << C::Small << F::InputHeldOpen << true << 70
            << QByteArray("input");
        QTest::newRow("output held open without sharing")
            << in << QByteArray("pr9.gsi") << C::Small << F::OutputHeldOpen << true << 70 << out;
    }
}

void FaultTest::faultIsSurvivedWithNothingLost()
{
    QFETCH(QByteArray, folder);
    QFETCH(QByteArray, name);
    QFETCH(Content, content);
    QFETCH(Fault, fault);
    QFETCH(bool, existingOutput);
    QFETCH(int, error);
    QFETCH(QByteArray, named);

    if (fault == Fault::FolderNotWritable && Unprivileged::isRoot()) {
        Unprivileged::rerunRow("faultIsSurvivedWithNothingLost");
        return;
    }
    const bool ownDisk = fault == Fault::DiskFull || fault == Fault::ReadOnlyFileSystem;
    SmallDisk disk;
    if (ownDisk && !Unprivileged::isRoot())
        QSKIP("this needs a small file system of its own, and only root may mount one");

    const QByteArray row = m_dir.path().toUtf8() + '/' + QByteArray::number(qHash(name));
    const QByteArray shown = row + '/' + folder;
    const QByteArray input = shown + '/' + name;
    const QByteArray output = shown + '/' + outputNameFor(name);
    const bool alignment = name.startsWith("al");
    QVERIFY(makeFolder(row));
    m_row = row;
    QVERIFY(makeFolder(shown));
    if (ownDisk) {
        const QString failure = disk.mount(QString::fromUtf8(shown), QStringLiteral("256k"));
        if (!failure.isEmpty())
            QSKIP(qPrintable(QStringLiteral("cannot mount a small tmpfs here: ") + failure));
    }
    QVERIFY(writeRaw(input, inputFor(content, alignment)));
    if (fault == Fault::InputOverTheSizeLimit)
        QVERIFY(QFile::resize(QString::fromUtf8(input), qint64(Module1::MaxInputBytes) + 1));
    QVERIFY(writeRaw(row + "/al-next.gsi", NextInput));
    if (existingOutput)
        QVERIFY(writeRaw(output, OldOutput));
    if (fault == Fault::OutputIsAFolder) {
        QVERIFY(makeFolder(output));
        QVERIFY(writeRaw(output + "/inside", OldOutput));
    }
    if (fault == Fault::DiskFull)
        QVERIFY(fillUp(shown + "/filler"));
    if (fault == Fault::FolderNotWritable) {
        m_readOnly = denyWriting(shown, output);
        QVERIFY(!m_readOnly.isEmpty());
    }
    if (fault == Fault::OutputReadOnly) {
        QVERIFY(setWritable(output, false));
        m_readOnly = output;
    }
    if (fault == Fault::ReadOnlyFileSystem)
        QCOMPARE(disk.setReadOnly(true), QString());
    const QFile::Permissions outputMode = QFile::permissions(QString::fromUtf8(output));

    // The window starts above the shown folder, and the user opens it in Dir1.
    QVERIFY(QDir::setCurrent(QString::fromUtf8(row)));
    Form1* window = MainWindowTest::openWindow();
    const QList<QTreeWidgetItem*> down
        = window->Dir1->findItems(QFile::decodeName(folder), Qt::MatchExactly | Qt::MatchRecursive);
    QCOMPARE(down.size(), 1);
    window->Dir1->setCurrentItem(down.first());
    QTest::keyClick(window->Dir1, Qt::Key_Return);
    QVERIFY(MainWindowTest::settle());
    QVERIFY2(m_reported.isEmpty(),
        qPrintable(m_reported.isEmpty() ? QString() : m_reported.first().description));
    FileListBox* list = alignment ? window->File1 : window->File2;
    QCOMPARE(list->count(), existingOutput ? 2 : 1); // the input sorts before its output
    if (fault == Fault::InputDeletedAfterListing || fault == Fault::InputIsAFifo)
        QVERIFY(removeRaw(input));
    // The list shows ordinary files only; a FIFO can still take a listed name.
    if (fault == Fault::InputIsAFifo)
        QVERIFY(makeFifo(input));
    if (fault == Fault::FolderDeletedWhileShown)
        QCOMPARE(removeTree(shown), !currentFolderCannotVanish());
    if (fault == Fault::InputHeldOpen)
        QVERIFY(holdOpen(input));
    if (fault == Fault::OutputHeldOpen)
        QVERIFY(holdOpen(output));
    const QByteArrayList before = listRaw(shown);

    QVERIFY(MainWindowTest::clickEntry(list, 0));
    releaseHeld();

    // 1. The outcome.
    if (error == 0) {
        QVERIFY2(m_reported.isEmpty(),
            qPrintable(m_reported.isEmpty() ? QString() : m_reported.first().description));
        QCOMPARE(readRaw(output), expectedFor(content, alignment));
        QCOMPARE(Form1::current(), window);
    } else {
        QCOMPARE(m_reported.size(), 1);
        QCOMPARE(m_reported.first().number, error);
        const QByteArray file = named == "input" ? input : output;
        const QString shownName = QDir::toNativeSeparators(QString::fromUtf8(file));
        QVERIFY2(m_reported.first().description.contains(shownName),
            qPrintable(m_reported.first().description));
        QCOMPARE(Form1::current(), window);
        QCOMPARE(window->Text1->text(), QDir::toNativeSeparators(QFile::decodeName(shown)));
    }

    // 2. No partial, temporary or emptied file beside it.
    QByteArrayList after = before;
    if (error == 0 && !existingOutput)
        after.append(outputNameFor(name));
    std::sort(after.begin(), after.end());
    QCOMPARE(listRaw(shown), after);

    // 3. On failure, what stood at the output name is as it was, byte for byte.
    if (error != 0 && existingOutput) {
        QCOMPARE(readRaw(output), OldOutput);
        QCOMPARE(QFile::permissions(QString::fromUtf8(output)), outputMode);
    }
    if (fault == Fault::OutputIsAFolder) {
        QCOMPARE(listRaw(output), QByteArrayList({ "inside" }));
        QCOMPARE(readRaw(output + "/inside"), OldOutput);
    }

    // 4. Still running: the window opens the folder above and converts what is there.
    // The small file system is a drive of its own with nothing above it, so there
    // the space is freed, or writing allowed again, and the same file converted again.
    Form1* now = Form1::current();
    QVERIFY(now);
    if (ownDisk) {
        if (fault == Fault::DiskFull)
            QVERIFY(removeRaw(shown + "/filler"));
        else
            QCOMPARE(disk.setReadOnly(false), QString());
        QVERIFY(MainWindowTest::clickEntry(alignment ? now->File1 : now->File2, 0));
        QCOMPARE(m_reported.size(), 1);
        QCOMPARE(readRaw(output), expectedFor(content, alignment));
        QCOMPARE(Form1::current(), now);
        return;
    }
    const QString rowName = QFileInfo(QString::fromUtf8(row)).fileName();
    const QList<QTreeWidgetItem*> up
        = now->Dir1->findItems(rowName, Qt::MatchExactly | Qt::MatchRecursive);
    QCOMPARE(up.size(), 1);
    now->Dir1->setCurrentItem(up.first());
    QTest::keyClick(now->Dir1, Qt::Key_Return);
    QVERIFY(MainWindowTest::settle());
    QCOMPARE(QDir::currentPath(), QString::fromUtf8(row));
    QCOMPARE(now->File1->names(), QStringList({ QStringLiteral("al-next.gsi") }));
    QVERIFY(MainWindowTest::clickEntry(now->File1, 0));
    QCOMPARE(m_reported.size(), error == 0 ? 0 : 1);
    QCOMPARE(readRaw(row + "/al-nextPI.gsi"), NextOutput);
    QCOMPARE(Form1::current(), now);
}

void FaultTest::unreadableFolderSaysWhyAndTheWindowStays_data()
{
    QTest::addColumn<int>("error");
    QTest::newRow("a folder that may be entered but not read") << 70;
    QTest::newRow("a folder gone since it was listed") << 76;
}

void FaultTest::unreadableFolderSaysWhyAndTheWindowStays()
{
    QFETCH(int, error);
    if (error == 70 && QOperatingSystemVersion::currentType() == QOperatingSystemVersion::Windows)
        QSKIP("Windows keeps read access in access lists, which Qt does not set");
    if (error == 70 && Unprivileged::isRoot()) {
        Unprivileged::rerunRow("unreadableFolderSaysWhyAndTheWindowStays");
        return;
    }
    const QByteArray row = m_dir.path().toUtf8() + "/unreadable" + QByteArray::number(error);
    const QByteArray closed = row + "/closed";
    QVERIFY(makeFolder(row));
    m_row = row;
    QVERIFY(makeFolder(closed));
    QVERIFY(writeRaw(row + "/al1.gsi", NextInput));
    QVERIFY(writeRaw(closed + "/al2.gsi", NextInput));
    QVERIFY(QDir::setCurrent(QString::fromUtf8(row)));
    Form1* window = MainWindowTest::openWindow();
    const QList<QTreeWidgetItem*> down
        = window->Dir1->findItems(QStringLiteral("closed"), Qt::MatchExactly | Qt::MatchRecursive);
    QCOMPARE(down.size(), 1);
    if (error == 70)
        QVERIFY(QFile::setPermissions(QString::fromUtf8(closed),
            QFile::ExeOwner | QFile::ExeUser | QFile::ExeGroup | QFile::ExeOther));
    else
        QVERIFY(removeTree(closed));

    window->Dir1->setCurrentItem(down.first());
    QTest::keyClick(window->Dir1, Qt::Key_Return);
    QVERIFY(MainWindowTest::settle());
    QFile::setPermissions(
        QString::fromUtf8(closed), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(m_reported.size(), 1);
    QCOMPARE(m_reported.first().number, error);
    QVERIFY2(m_reported.first().description.contains(
                 QDir::toNativeSeparators(QFile::decodeName(closed))),
        qPrintable(m_reported.first().description));
    QCOMPARE(QDir::currentPath(), QString::fromUtf8(row));
    QCOMPARE(window->Text1->text(), QDir::toNativeSeparators(QString::fromUtf8(row)));
    QCOMPARE(window->File1->names(), QStringList({ "al1.gsi" }));
}

// The window runs in a child, a copy of this test, so that a freeze fails the row instead of
// holding up the suite; strace, where it is installed, counts what the child asks of mounts.
void FaultTest::stalledDriveHoldsUpNoOtherWork()
{
    const QString stalled = qEnvironmentVariable("SIGTELINJE_STALLED_DRIVE");
    if (!stalled.isEmpty()) {
        workBesideAStalledDrive(stalled);
        return;
    }
    if (const QString why = FuseMount::unavailable(FuseMount::Kind::Bindfs); !why.isEmpty())
        QSKIP(qPrintable(why));
    QTemporaryDir place;
    FuseMount share(FuseMount::Kind::Bindfs, place.filePath(QStringLiteral("share")));
    QVERIFY2(share.isMounted(), qPrintable(share.error()));
    QVERIFY(writeRaw(QFile::encodeName(share.mountPoint()) + "/al9.gsi", NextInput));
    const QString work = place.filePath(QStringLiteral("work"));
    QVERIFY(QDir().mkpath(work));
    QVERIFY(writeRaw(QFile::encodeName(work) + "/al1.gsi", inputFor(Content::Small, true)));
    QVERIFY(writeRaw(QFile::encodeName(work) + "/al2.gsi", NextInput));
    const QString trace = place.filePath(QStringLiteral("statfs.log"));
    QStringList command;
    const QString strace = QStandardPaths::findExecutable(QStringLiteral("strace"));
    if (!strace.isEmpty())
        command << strace << QStringLiteral("-f") << QStringLiteral("-e")
                << QStringLiteral("trace=statfs,fstatfs") << QStringLiteral("-o") << trace;
    command << QCoreApplication::applicationFilePath()
            << QStringLiteral("stalledDriveHoldsUpNoOtherWork");

    share.stop();
    QProcess child;
    QProcessEnvironment environment = environmentForStrace();
    environment.insert(QStringLiteral("SIGTELINJE_STALLED_DRIVE"), share.mountPoint());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    child.setProcessEnvironment(environment);
    child.setWorkingDirectory(work);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(command.takeFirst(), command);
    const bool finished = child.waitForFinished(60000);
    if (!finished) {
        child.kill();
        child.waitForFinished();
    }
    share.resume();
    const QString output = QString::fromLocal8Bit(child.readAll());
    QVERIFY2(finished, qPrintable("the window froze beside a stalled drive:\n" + output));
    QVERIFY2(child.exitCode() == 0
            && output.contains(
                QStringLiteral("PASS   : FaultTest::stalledDriveHoldsUpNoOtherWork()")),
        qPrintable(output));
    if (strace.isEmpty())
        return;
    QFile log(trace);
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QStringList calls = QString::fromLocal8Bit(log.readAll()).split(QLatin1Char('\n'));
    const QStringList onStalled = calls.filter(share.mountPoint());
    QVERIFY2(onStalled.isEmpty(), qPrintable(onStalled.join(QLatin1Char('\n'))));
    qInfo("statfs calls while starting, converting twice and choosing the stalled drive: %d",
        int(calls.filter(QStringLiteral("statfs(")).size()));
}

// In the child: start the window, convert, choose the stalled drive, convert again.
void FaultTest::workBesideAStalledDrive(const QString& stalled)
{
    const QString here = QDir::currentPath();
    Form1* window = MainWindowTest::openWindow();
    QCOMPARE(window->Text1->text(), here);
    int index = -1;
    for (int i = 0; i < window->Drive1->count(); ++i)
        if (window->Drive1->itemText(i).startsWith(stalled + QLatin1Char(' '))
            || window->Drive1->itemText(i) == stalled)
            index = i;
    QVERIFY2(index >= 0, "the stalled drive is not in the drive list");

    QVERIFY(MainWindowTest::clickEntry(window->File1, 0));
    QVERIFY2(m_reported.isEmpty(), qPrintable(m_reported.value(0).description));
    QVERIFY(QFile::exists(here + QStringLiteral("/al1PI.gsi")));

    window = Form1::current();
    const int shownIndex = window->Drive1->currentIndex();
    window->Drive1->setCurrentIndex(index);
    emit window->Drive1->activated(index);
    QVERIFY(MainWindowTest::settle());
    QCOMPARE(m_reported.size(), 1);
    QCOMPARE(m_reported.first().number, 68);
    QVERIFY2(m_reported.first().description.contains(stalled),
        qPrintable(m_reported.first().description));
    QCOMPARE(window->Drive1->currentIndex(), shownIndex);
    QCOMPARE(window->Text1->text(), here);

    // The window still answers: the next click converts at once.
    const int next = int(window->File1->names().indexOf(QStringLiteral("al2.gsi")));
    QVERIFY(MainWindowTest::clickEntry(window->File1, next));
    QCOMPARE(m_reported.size(), 1);
    QVERIFY(QFile::exists(here + QStringLiteral("/al2PI.gsi")));
}

QTEST_MAIN(FaultTest)
#include "tst_faults.moc"
