// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Faults met through the editor window, with the same four checks as the main
// window's: the outcome (the file shown, or a message naming it), nothing
// partial or temporary left, the file on disk as it was, and the window going
// on to write the next file.

#include "editortest.h"
#include "faultfiles.h"
#include "smalldisk.h"
#include "unprivileged.h"

#include <QOperatingSystemVersion>
#include <QProcess>

using namespace FaultFiles;

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

QTEST_MAIN(EditorFaultTest)
#include "tst_editor_faults.moc"
