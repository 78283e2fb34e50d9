// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Faults met through the editor window, with the same four checks as the main
// window's: the outcome (the file shown, or a message naming it), nothing
// partial or temporary left, the file on disk as it was, and the window going
// on to write the next file.

#include "editortest.h"
#include "faultfiles.h"
#include "smalldisk.h"
#include "systemfaults.h"
#include "traced.h"
#include "unprivileged.h"

#include <QLabel>
#include <QMessageBox>
#include <QOperatingSystemVersion>
#include <QProcess>
#include <QScopeGuard>
#include <QScreen>
#include <QStandardPaths>
#include <QThread>

#include <atomic>

using namespace FaultFiles;
using namespace Qt::StringLiterals;

enum class EditorFault { LoadUnreadable, OpenUnreadable, Huge, SaveToFullDisk, SaveOverHeldFile };
Q_DECLARE_METATYPE(EditorFault)

namespace {

QByteArray fiftyMegabytes()
{
    QByteArray line(98, 'g');
    line += "\r\n";
    QByteArray bytes;
    bytes.reserve(50 * 1024 * 1024);
    while (bytes.size() + line.size() <= 50 * 1024 * 1024)
        bytes += line;
    bytes += QByteArray(50 * 1024 * 1024 - bytes.size(), 'e');
    return bytes;
}

}

class EditorFaultTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup();
    void editorFaultLosesNothing_data();
    void editorFaultLosesNothing();
    void saveWritesOnlyTheFileThatWasOpened_data();
    void saveWritesOnlyTheFileThatWasOpened();
    void errorBoxShowsTheWholeLongPath_data();
    void errorBoxShowsTheWholeLongPath();
    void aFileTooLargeToEditIsNotLoaded();
    void aFifoSwappedInAtOpenDoesNotHang();

private:
    QByteArray m_unreadable;
};

void EditorFaultTest::cleanup()
{
    unloadEditor();
    if (!m_unreadable.isEmpty())
        allowReading(m_unreadable);
    m_unreadable.clear();
    releaseHeld();
}

void EditorFaultTest::editorFaultLosesNothing_data()
{
    QTest::addColumn<EditorFault>("fault");
    QTest::addColumn<bool>("fails"); // a message naming the file, rather than the file shown
    QTest::newRow("loading a file that cannot be read") << EditorFault::LoadUnreadable << true;
    QTest::newRow("opening a file that cannot be read") << EditorFault::OpenUnreadable << true;
    QTest::newRow("a 50 MB file") << EditorFault::Huge << false;
    QTest::newRow("saving to a full disk") << EditorFault::SaveToFullDisk << true;
    if (QOperatingSystemVersion::currentType() == QOperatingSystemVersion::Windows)
        QTest::newRow("saving over a file held open without sharing")
            << EditorFault::SaveOverHeldFile << true;
}

void EditorFaultTest::editorFaultLosesNothing()
{
    QFETCH(EditorFault, fault);
    QFETCH(bool, fails);

    const bool unreadable
        = fault == EditorFault::LoadUnreadable || fault == EditorFault::OpenUnreadable;
    if (unreadable && Unprivileged::isRoot()) {
        Unprivileged::rerunRow("editorFaultLosesNothing");
        return;
    }
    if (fault == EditorFault::SaveToFullDisk && !Unprivileged::isRoot())
        QSKIP("a full disk needs a small file system of its own, and only root may mount one");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    SmallDisk disk; // unmounted before the folder goes
    const QByteArray folder = dir.filePath(u"files"_s).toUtf8();
    QVERIFY(makeFolder(folder));
    if (fault == EditorFault::SaveToFullDisk
        && !disk.mount(QString::fromUtf8(folder), u"64k"_s).isEmpty())
        QSKIP("mounting a small tmpfs is not permitted here");
    const QByteArray file = folder + "/survey.txt";
    const QByteArray old = fault == EditorFault::Huge ? fiftyMegabytes() : "P1 12.5\r\nP2 13.0\r\n";
    QVERIFY(writeRaw(file, old));
    const QString name = QString::fromUtf8(file);
    const QString shownName = QDir::toNativeSeparators(name);
    FakeDialogs dialogs;

    frmEditor* editor = nullptr;
    switch (fault) {
    case EditorFault::LoadUnreadable:
        QVERIFY(denyReading(file));
        m_unreadable = file;
        editor = loadEditor(name);
        break;
    case EditorFault::OpenUnreadable:
        QVERIFY(writeRaw(folder + "/before.txt", "before\n"));
        editor = loadEditor(QString::fromUtf8(folder + "/before.txt"));
        QVERIFY(denyReading(file));
        m_unreadable = file;
        dialogs.fileAnswers = QStringList { name };
        editor->mnuFileItem_Click(1);
        break;
    case EditorFault::Huge:
        editor = loadEditor(name);
        break;
    case EditorFault::SaveToFullDisk:
        editor = loadEditor(name);
        // Small enough to sit in the write buffer until the file is closed.
        editor->txtEdit->setPlainText(u"P1 12.5\nP2 13.0\nP3 14.5\n"_s);
        QVERIFY(fillUp(folder + "/filler"));
        break;
    case EditorFault::SaveOverHeldFile:
        editor = loadEditor(name);
        editor->txtEdit->setPlainText(u"P1 12.5\nP2 13.0\nP3 14.5\n"_s);
        QVERIFY(holdOpen(file));
        break;
    }
    const QByteArrayList before = listRaw(folder);
    const bool saves
        = fault == EditorFault::SaveToFullDisk || fault == EditorFault::SaveOverHeldFile;
    if (saves)
        editor->mnuFileItem_Click(2);

    // 1. The outcome.
    QVERIFY(frmEditor::isLoaded());
    if (fails) {
        QCOMPARE(dialogs.errors.size(), 1);
        QVERIFY2(dialogs.errors.first().contains(shownName), qPrintable(dialogs.errors.first()));
        // On Windows the file cannot be read or saved because another handle holds it.
        if (onWindows() && fault != EditorFault::SaveToFullDisk)
            QVERIFY2(dialogs.errors.first().startsWith(u"Fejl 70: "_s)
                    && dialogs.errors.first().contains(u"er i brug af et andet program"_s),
                qPrintable(dialogs.errors.first()));
    } else {
        QVERIFY2(dialogs.errors.isEmpty(), qPrintable(dialogs.errors.join(u'\n')));
        QCOMPARE(editor->txtEdit->document()->characterCount() - 1, old.size() - old.count('\r'));
        QCOMPARE(editor->windowTitle(), u"Sigtelinje - Text Editor: "_s + shownName);
    }
    if (fault == EditorFault::LoadUnreadable)
        QCOMPARE(EditorFileName, u"Untitled"_s);
    if (fault == EditorFault::OpenUnreadable)
        QCOMPARE(editor->txtEdit->toPlainText(), u"before\n"_s);

    // 2. Nothing partial or temporary beside it.
    QCOMPARE(listRaw(folder), before);

    // 3. The file as it was, byte for byte.
    if (unreadable) {
        QVERIFY(allowReading(file));
        m_unreadable.clear();
    }
    releaseHeld();
    QVERIFY(readRaw(file) == old);

    // 4. Still working: the text goes to a file and arrives whole.
    if (saves) {
        if (fault == EditorFault::SaveToFullDisk)
            QVERIFY(removeRaw(folder + "/filler"));
        editor->mnuFileItem_Click(2); // Save, which closes the window once written
        QVERIFY(!frmEditor::isLoaded());
        QCOMPARE(readRaw(file), QByteArray("P1 12.5\r\nP2 13.0\r\nP3 14.5\r\n"));
        return;
    }
    const QByteArray next = folder + "/next.txt";
    dialogs.fileAnswers = QStringList { QString::fromUtf8(next) };
    editor->mnuFileItem_Click(3); // Save As
    QCOMPARE(dialogs.errors.size(), fails ? 1 : 0);
    const QByteArray expected = fault == EditorFault::Huge ? old
        : fault == EditorFault::OpenUnreadable             ? QByteArray("before\n")
                                                           : QByteArray();
    QVERIFY(readRaw(next) == expected);
    QCOMPARE(EditorFileName, QString::fromUtf8(next));
}

void EditorFaultTest::saveWritesOnlyTheFileThatWasOpened_data()
{
    QTest::addColumn<QByteArray>("swap");

    // Another user does this in a shared folder while the file is open.
    QTest::newRow("a link to a private file put in its place") << QByteArray("link");
    QTest::newRow("a link to no file yet put in its place") << QByteArray("dangling");
    QTest::newRow("another file moved over it") << QByteArray("moved");
    QTest::newRow("removed: not written afresh") << QByteArray("removed");
    // Save writes into the folder it holds, whatever its name leads to now.
    QTest::newRow("its folder swapped for a link to another folder") << QByteArray("folder");
    // Not a swap: the user opened the file through a link, and Save writes the file it leads to.
    QTest::newRow("opened through a link") << QByteArray("through");
    // Save As chooses a folder by its path: another user's link there is not followed.
    QTest::newRow("Save As into another user's link to a private folder") << QByteArray("saveas");
    QTest::newRow("Save As through one's own link") << QByteArray("saveas own");
    // A colleague's link to a folder of his own lends nothing he could not do himself.
    QTest::newRow("Save As through another user's link to his own folder")
        << QByteArray("saveas theirs");
}

// Save refuses when the name no longer leads to the file that was read, writes nothing anywhere
// and says so with error 75, naming the file.
void EditorFaultTest::saveWritesOnlyTheFileThatWasOpened()
{
    QFETCH(QByteArray, swap);

    if (onWindows() && swap == "dangling")
        QSKIP("Wine shows a Unix link that leads nowhere as no file at all");
    if (onWindows() && swap == "folder")
        QSKIP("Windows holds no folder open across a save; the name is checked instead");
    if (swap.startsWith("saveas") && SystemFaults::ownerOf(".").isEmpty())
        QSKIP("another user's link needs Unix owners");
    if (swap.startsWith("saveas") && !Unprivileged::isRoot())
        QSKIP("another user's link is made by root");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray folder = dir.path().toUtf8();
    QVERIFY(makeFolder(folder + "/shared") && makeFolder(folder + "/private"));
    const QByteArray file = folder + "/shared/notes.txt";
    const QByteArray secret = folder + "/private/secret.txt";
    if (swap == "through") {
        QVERIFY(writeRaw(secret, "P1 12.5\r\n"));
        QVERIFY(
            PlatformTest::makeSymbolicLink(u"../private/secret.txt"_s, QString::fromUtf8(file)));
    } else {
        QVERIFY(writeRaw(file, "P1 12.5\r\n"));
    }
    const QString name = QString::fromUtf8(file);
    FakeDialogs dialogs;
    frmEditor* editor = loadEditor(name);
    QCOMPARE(editor->txtEdit->toPlainText(), u"P1 12.5\n"_s);
    editor->txtEdit->setPlainText(u"P1 12.5\nP2 13.0\n"_s);

    const QByteArray theirs = "someone else's\r\n";
    if (swap == "through") {
        editor->mnuFileItem_Click(2);
        QVERIFY(!frmEditor::isLoaded()); // saved, and closed
        QCOMPARE(readRaw(secret), QByteArray("P1 12.5\r\nP2 13.0\r\n"));
        QCOMPARE(listRaw(folder + "/private"), QByteArrayList { "secret.txt" });
        QCOMPARE(listRaw(folder + "/shared"), QByteArrayList { "notes.txt" });
        // Still the link: written again, the file it leads to changes.
        QVERIFY(writeRaw(secret, "again\r\n"));
        QCOMPARE(readRaw(file), QByteArray("again\r\n"));
        return;
    }
    if (swap.startsWith("saveas")) {
        const QString copy = dir.filePath(u"shared/e/copy.txt"_s);
        QVERIFY(QFile::link(u"../private"_s, dir.filePath(u"shared/e"_s)));
        QVERIFY(swap == "saveas own" || SystemFaults::setOwner(folder + "/shared/e", "nobody"));
        QVERIFY(swap != "saveas theirs" || SystemFaults::setOwner(folder + "/private", "nobody"));
        dialogs.fileAnswers << copy;
        editor->mnuFileItem_Click(3);
        if (swap != "saveas") {
            QCOMPARE(dialogs.errors, QStringList());
            QCOMPARE(readRaw(folder + "/private/copy.txt"), QByteArray("P1 12.5\r\nP2 13.0\r\n"));
            return;
        }
        QCOMPARE(listRaw(folder + "/private"), QByteArrayList());
        QCOMPARE(dialogs.errors.size(), 1);
        QVERIFY2(dialogs.errors.first().startsWith(u"Fejl 75: "_s)
                && dialogs.errors.first().contains(QDir::toNativeSeparators(copy)),
            qPrintable(dialogs.errors.first()));
        return;
    }
    if (swap == "folder") {
        QVERIFY(QFile::rename(
            QString::fromUtf8(folder + "/shared"), QString::fromUtf8(folder + "/shared.old")));
        QVERIFY(QFile::link(
            QString::fromUtf8(folder + "/private"), QString::fromUtf8(folder + "/shared")));
    } else {
        QVERIFY(removeRaw(file));
    }
    if (swap == "link") {
        QVERIFY(writeRaw(secret, "root's own\r\n"));
        QVERIFY(PlatformTest::makeSymbolicLink(u"../private/secret.txt"_s, name));
    } else if (swap == "dangling") {
        QVERIFY(PlatformTest::makeSymbolicLink(u"../private/secret.txt"_s, name));
    } else if (swap == "moved") {
        QVERIFY(writeRaw(folder + "/shared/other.txt", theirs));
        QVERIFY(QFile::rename(QString::fromUtf8(folder + "/shared/other.txt"), name));
    }
    const QByteArrayList shared = listRaw(folder + "/shared");
    const QByteArrayList kept = listRaw(folder + "/private");
    editor->mnuFileItem_Click(2);

    QCOMPARE(readRaw(secret), swap == "link" ? QByteArray("root's own\r\n") : "<missing>");
    QCOMPARE(listRaw(folder + "/private"), kept);
    if (swap == "folder") {
        QCOMPARE(dialogs.errors, QStringList());
        QCOMPARE(readRaw(folder + "/shared.old/notes.txt"), QByteArray("P1 12.5\r\nP2 13.0\r\n"));
        return;
    }
    QCOMPARE(listRaw(folder + "/shared"), shared);
    if (swap == "moved")
        QCOMPARE(readRaw(file), theirs);
    else if (swap == "removed")
        QCOMPARE(readRaw(file), QByteArray("<missing>"));
    else if (swap == "link") // still the link: it reads as what it leads to
        QCOMPARE(readRaw(file), QByteArray("root's own\r\n"));
    if ((swap == "link" || swap == "dangling")
        && !onWindows()) // Wine shows a Unix link as its file
        QVERIFY(QFileInfo(name).isSymLink());
    QVERIFY(frmEditor::isLoaded()); // refused, so still open with the text
    QCOMPARE(dialogs.errors.size(), 1);
    QVERIFY2(dialogs.errors.first().startsWith(u"Fejl 75: "_s)
            && dialogs.errors.first().contains(QDir::toNativeSeparators(name)),
        qPrintable(dialogs.errors.first()));
}

// The limit of the conversions; the text stays as it was, nothing is read into the window.
void EditorFaultTest::errorBoxShowsTheWholeLongPath_data()
{
    QTest::addColumn<bool>("oneFolder"); // one long folder name, or many short ones
    QTest::newRow("a 240-character path in one long folder name") << true;
    QTest::newRow("a 240-character path in many folders") << false;
}

// The box the editor reports a missing file in wraps the path, as the main window's does.
void EditorFaultTest::errorBoxShowsTheWholeLongPath()
{
    QFETCH(bool, oneFolder);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const int room = 240 - int(dir.path().size()) - int(QString(u"/gone.txt"_s).size());
    QString folder
        = u"/"_s + QString(oneFolder ? u"lang"_s : u"vej/"_s).repeated(room).left(room - 1);
    if (folder.endsWith(u'/'))
        folder.back() = u'x';
    QVERIFY(QDir().mkpath(dir.path() + folder));
    const QString missing = dir.path() + folder + u"/gone.txt"_s;
    QCOMPARE(missing.size(), 240);
    FakeDialogs dialogs;
    QVERIFY(writeRaw(dir.filePath(u"before.txt"_s).toUtf8(), "before\n"));
    frmEditor* editor = loadEditor(dir.filePath(u"before.txt"_s));
    dialogs.fileAnswers = QStringList { missing };
    editor->mnuFileItem_Click(1);
    QCOMPARE(dialogs.errors.size(), 1);
    const QString message = dialogs.errors.first();
    QVERIFY2(message.contains(QDir::toNativeSeparators(missing)), qPrintable(message));

    const std::unique_ptr<QMessageBox> box(editorErrorBox(editor, message));
    box->show();
    QVERIFY(QTest::qWaitForWindowExposed(box.get()));
    QCOMPARE(box->text().remove(QChar(0x200B)), message);
    QCOMPARE(box->accessibleDescription(), message);
    QVERIFY(box->screen()->availableGeometry().contains(box->frameGeometry()));
    // No line runs past the label's edge, and every line fits its height.
    auto* label = box->findChild<QLabel*>(u"qt_msgbox_label"_s);
    QVERIFY(label);
    QVERIFY(QFontMetrics(label->font()).horizontalAdvance(label->text()) > label->width());
    QVERIFY2(label->minimumSizeHint().width() <= label->width(),
        qPrintable(u"%1 > %2"_s.arg(label->minimumSizeHint().width()).arg(label->width())));
    QVERIFY(label->heightForWidth(label->width()) <= label->height());
}

void EditorFaultTest::aFileTooLargeToEditIsNotLoaded()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString name = dir.filePath(u"huge.txt"_s);
    QVERIFY(writeRaw(name.toUtf8(), "P1 12.5\r\n"));
    // Sparse where the file system allows: the size is what counts, not the bytes.
    QVERIFY(QFile::resize(name, 64 * 1024 * 1024 + 1));
    FakeDialogs dialogs;
    frmEditor* editor = loadEditor(name);

    QCOMPARE(dialogs.errors.size(), 1);
    QVERIFY2(dialogs.errors.first().startsWith(u"Fejl 7: "_s)
            && dialogs.errors.first().contains(QDir::toNativeSeparators(name)),
        qPrintable(dialogs.errors.first()));
    QCOMPARE(EditorFileName, u"Untitled"_s);
    QCOMPARE(editor->txtEdit->toPlainText(), QString());
}

// A FIFO that no one writes to would keep an open waiting for ever. Another process exchanges
// it with the file to open, again and again, while the editor opens that name; a watchdog
// frees an open that waits on the FIFO, and counts it. The row runs again in a copy of this
// program under strace, which holds each open a moment so that an exchange falls between the
// editor's look at the name and its open.
void EditorFaultTest::aFifoSwappedInAtOpenDoesNotHang()
{
    if (onWindows())
        QSKIP("Windows has no FIFOs");
    if (!qEnvironmentVariableIsSet("SIGTELINJE_OPENS_HELD")) {
        if (QStandardPaths::findExecutable(u"strace"_s).isEmpty())
            QSKIP("strace is not installed; tools/install-deps.sh installs it");
        QProcess copy;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"SIGTELINJE_OPENS_HELD"_s, u"1"_s);
        copy.setProcessEnvironment(environmentForStrace(environment));
        copy.setProcessChannelMode(QProcess::MergedChannels);
        copy.start(u"strace"_s,
            { u"-f"_s, u"-o"_s, u"/dev/null"_s, u"-e"_s, u"inject=open,openat:delay_enter=1000"_s,
                QCoreApplication::applicationFilePath(), u"aFifoSwappedInAtOpenDoesNotHang"_s });
        QVERIFY(copy.waitForFinished(300000));
        const QByteArray said = copy.readAll();
        QVERIFY2(
            copy.exitStatus() == QProcess::NormalExit && copy.exitCode() == 0, said.constData());
        QVERIFY2(said.contains("PASS   : EditorFaultTest::aFifoSwappedInAtOpenDoesNotHang()"),
            said.constData());
        return;
    }
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath(u"survey.txt"_s);
    const QString fifo = dir.filePath(u"fifo.txt"_s);
    QVERIFY(writeRaw(file.toUtf8(), "P1 12.5\r\n"));
    QVERIFY(SystemFaults::makeFifo(fifo.toUtf8()));
    FakeDialogs dialogs;
    frmEditor* editor = loadEditor(QString());

    QProcess swapper;
    swapper.start(QStringLiteral(SWAPPER), { file, fifo });
    const auto stop = qScopeGuard([&swapper] {
        swapper.terminate();
        if (!swapper.waitForFinished(10000))
            swapper.kill();
        swapper.waitForFinished();
    });
    QVERIFY(swapper.waitForReadyRead(10000));

    std::atomic<int> opened { 0 };
    std::atomic<bool> done { false };
    std::atomic<int> freed { 0 };
    QThread* watchdog = QThread::create([&] {
        int seen = -1;
        while (!done) {
            QThread::msleep(200);
            if (opened == seen && !done)
                for (const QString& name : { file, fifo })
                    freed += SystemFaults::openFifoForWriting(name.toUtf8());
            seen = opened;
        }
    });
    watchdog->start();
    for (int i = 0; i < 100; ++i) {
        dialogs.fileAnswers = QStringList { file };
        editor->mnuFileItem_Click(1);
        ++opened;
    }
    done = true;
    watchdog->wait();
    delete watchdog;

    QCOMPARE(freed.load(), 0);
    for (const QString& error : std::as_const(dialogs.errors))
        QVERIFY2(error.startsWith(u"Fejl 75: "_s) && error.contains(file), qPrintable(error));
}

QTEST_MAIN(EditorFaultTest)
#include "tst_editor_faults.moc"
