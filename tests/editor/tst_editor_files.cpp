#include "editortest.h"

#include <QPointer>

class EditorFilesTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { unloadEditor(); }

    void newEmptiesTheTextAndNamesItUntitled();
    void openReadsTheChosenFile();
    void openCancelledOrRefusedChangesNothing_data();
    void openCancelledOrRefusedChangesNothing();
    void saveWritesTheNamedFileAndCloses();
    void saveWithoutAFileAsksForOne_data();
    void saveWithoutAFileAsksForOne();
    void saveAsWritesRecordsTheNameAndStaysOpen();
    void closeEmptiesTheTextAndDisablesSaveAs();
    void exitAndTheCloseBoxDiscardTheText_data();
    void exitAndTheCloseBoxDiscardTheText();
    void itemsWithoutActionDoNothing();
    void openAndSaveKeepTheBytes_data();
    void openAndSaveKeepTheBytes();
    void newTextIsSavedWithCrLf();
    void characterOutsideEightBitIsRefused();
    void failedSaveNamesTheFileAndKeepsTheWindow();
};

static frmEditor* openWith(const QString& text)
{
    frmEditor* editor = loadEditor({});
    editor->txtEdit->setPlainText(text);
    return editor;
}

void EditorFilesTest::newEmptiesTheTextAndNamesItUntitled()
{
    const Workspace work;
    work.write(u"a.txt"_s, "old");
    frmEditor* editor = loadEditor(u"a.txt"_s);
    editor->mnuFileItem[0]->trigger();
    QCOMPARE(editor->txtEdit->toPlainText(), QString());
    QCOMPARE(EditorFileName, u"Untitled"_s);
    QCOMPARE(editor->windowTitle(), caption(u"Untitled"_s));
}

void EditorFilesTest::openReadsTheChosenFile()
{
    const Workspace work;
    work.write(u"b.pkt"_s, "P1 100\r\nP2 200\r\n");
    FakeDialogs dialogs;
    dialogs.fileAnswers = { work.path(u"b.pkt"_s) };
    frmEditor* editor = openWith(u"scratch"_s);
    editor->mnuFileItem[1]->trigger();
    QCOMPARE(dialogs.asked,
        QStringList { u"open All Files (*.*);;Point Files (*.pkt);;Reference Files (*.fix);;"
                      "Design Files (*.zer);;Control Files (*.ctl) @ Point Files (*.pkt)"_s });
    QCOMPARE(editor->txtEdit->toPlainText(), u"P1 100\nP2 200\n"_s);
    QCOMPARE(EditorFileName, work.path(u"b.pkt"_s));
    QCOMPARE(editor->windowTitle(),
        u"Sigtelinje - Text Editor: "_s + QDir::toNativeSeparators(work.path(u"b.pkt"_s)));
}

void EditorFilesTest::openCancelledOrRefusedChangesNothing_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("errors");
    QTest::addRow("cancelled") << u""_s << 0;
    QTest::addRow("missing") << u"gone.txt"_s << 1;
    QTest::addRow("hidden") << u".hidden"_s << 1;
}

void EditorFilesTest::openCancelledOrRefusedChangesNothing()
{
    QFETCH(QString, answer);
    QFETCH(int, errors);
    const Workspace work;
    work.write(u"a.txt"_s, "mine");
    work.write(u".hidden"_s, "not shown");
    FakeDialogs dialogs;
    frmEditor* editor = loadEditor(u"a.txt"_s);
    dialogs.fileAnswers = { answer.isEmpty() ? answer : work.path(answer) };
    editor->mnuFileItem_Click(1);
    QCOMPARE(dialogs.errors.size(), errors);
    if (errors)
        QVERIFY2(dialogs.errors[0].contains(answer), qPrintable(dialogs.errors[0]));
    QCOMPARE(editor->txtEdit->toPlainText(), u"mine"_s);
    QCOMPARE(EditorFileName, u"a.txt"_s);
    QCOMPARE(editor->windowTitle(), caption(u"a.txt"_s));
}

void EditorFilesTest::saveWritesTheNamedFileAndCloses()
{
    const Workspace work;
    work.write(u"a.txt"_s, "old\r\n");
    FakeDialogs dialogs;
    QPointer<frmEditor> editor = loadEditor(u"a.txt"_s);
    editor->txtEdit->setPlainText(u"new\nlines\n"_s);
    editor->mnuFileItem[2]->trigger();
    QCOMPARE(work.read(u"a.txt"_s), QByteArray("new\r\nlines\r\n"));
    QVERIFY(dialogs.asked.isEmpty());
    QVERIFY(!frmEditor::isLoaded());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(editor.isNull());
    QCOMPARE(EditorFileName, u"a.txt"_s);
}

void EditorFilesTest::saveWithoutAFileAsksForOne_data()
{
    QTest::addColumn<QString>("name"); // what the window was loaded with
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("written"); // the file that must hold the text, if any
    QTest::addRow("untitled, chosen") << QString() << u"out.dat"_s << u"out.dat"_s;
    QTest::addRow("untitled, cancelled") << QString() << u""_s << QString();
    QTest::addRow("real Untitled file") << u"Untitled"_s << u"unused"_s << u"Untitled"_s;
}

void EditorFilesTest::saveWithoutAFileAsksForOne()
{
    QFETCH(QString, name);
    QFETCH(QString, answer);
    QFETCH(QString, written);
    const Workspace work;
    if (!name.isEmpty())
        work.write(name, "before");
    FakeDialogs dialogs;
    dialogs.fileAnswers = { answer.isEmpty() ? answer : work.path(answer) };
    frmEditor* editor = loadEditor(name);
    editor->txtEdit->setPlainText(u"typed"_s);
    const QString titleBefore = editor->windowTitle();
    editor->mnuFileItem_Click(2);
    QCOMPARE(dialogs.asked.size(), name.isEmpty() ? 1 : 0);
    if (written.isEmpty()) {
        QVERIFY(frmEditor::isLoaded());
        QCOMPARE(EditorFileName, u"Untitled"_s);
        QCOMPARE(editor->windowTitle(), titleBefore);
        QCOMPARE(editor->txtEdit->toPlainText(), u"typed"_s);
        QCOMPARE(QDir(work.path({})).entryList(QDir::Files), QStringList());
    } else {
        QVERIFY(!frmEditor::isLoaded());
        QCOMPARE(work.read(written), QByteArray("typed"));
    }
}

void EditorFilesTest::saveAsWritesRecordsTheNameAndStaysOpen()
{
    const Workspace work;
    FakeDialogs dialogs;
    dialogs.fileAnswers = { work.path(u"x.dat"_s), u""_s };
    frmEditor* editor = openWith(u"survey"_s);
    editor->mnuFileItem[3]->trigger();
    QCOMPARE(dialogs.asked,
        QStringList { u"save All Files (*.*);;Text Files (*.txt);;Batch Files (*.bat);;"
                      "Data Files (*.dat) @ Data Files (*.dat)"_s });
    QCOMPARE(work.read(u"x.dat"_s), QByteArray("survey"));
    QCOMPARE(EditorFileName, work.path(u"x.dat"_s));
    QCOMPARE(editor->windowTitle(),
        u"Sigtelinje - Text Editor: "_s + QDir::toNativeSeparators(work.path(u"x.dat"_s)));
    QVERIFY(frmEditor::isLoaded());

    editor->txtEdit->setPlainText(u"changed"_s);
    editor->mnuFileItem[3]->trigger(); // cancelled
    QCOMPARE(work.read(u"x.dat"_s), QByteArray("survey"));
    QCOMPARE(EditorFileName, work.path(u"x.dat"_s));
}

void EditorFilesTest::closeEmptiesTheTextAndDisablesSaveAs()
{
    const Workspace work;
    work.write(u"a.txt"_s, "text");
    frmEditor* editor = loadEditor(u"a.txt"_s);
    editor->mnuFileItem[0]->trigger();
    editor->txtEdit->setPlainText(u"typed"_s);
    editor->mnuFileItem[4]->trigger();
    QCOMPARE(editor->windowTitle(), caption(u"Untitled"_s)); // the name as it was
    QCOMPARE(editor->txtEdit->toPlainText(), QString());
    QVERIFY(!editor->mnuFileItem[3]->isEnabled());
    QCOMPARE(EditorFileName, u""_s);

    editor->mnuFileItem[4]->trigger();
    QCOMPARE(editor->windowTitle(), caption({}));
    editor->mnuFileItem[0]->trigger();
    QCOMPARE(editor->windowTitle(), caption(u"Untitled"_s));
    QVERIFY(!editor->mnuFileItem[3]->isEnabled());
    QCOMPARE(work.read(u"a.txt"_s), QByteArray("text"));
}

void EditorFilesTest::exitAndTheCloseBoxDiscardTheText_data()
{
    QTest::addColumn<bool>("viaExit");
    QTest::addRow("Exit") << true;
    QTest::addRow("close box") << false;
}

void EditorFilesTest::exitAndTheCloseBoxDiscardTheText()
{
    QFETCH(bool, viaExit);
    const Workspace work;
    work.write(u"a.txt"_s, "on disk");
    FakeDialogs dialogs;
    frmEditor* editor = loadEditor(u"a.txt"_s);
    editor->show();
    editor->txtEdit->setPlainText(u"unsaved"_s);
    if (viaExit)
        editor->mnuFileItem[6]->trigger();
    else
        QVERIFY(editor->close());
    QVERIFY(!frmEditor::isLoaded());
    QVERIFY(dialogs.asked.isEmpty() && dialogs.errors.isEmpty());
    QCOMPARE(work.read(u"a.txt"_s), QByteArray("on disk"));
    QCOMPARE(EditorFileName, u"a.txt"_s);
}

void EditorFilesTest::itemsWithoutActionDoNothing()
{
    const Workspace work;
    FakeDialogs dialogs;
    frmEditor* editor = openWith(u"stays"_s);
    editor->mnuFileItem_Click(5);
    editor->mnuFileItem_Click(7);
    editor->mnuFileArray_Click(0);
    QVERIFY(frmEditor::isLoaded());
    QVERIFY(dialogs.asked.isEmpty());
    QCOMPARE(editor->txtEdit->toPlainText(), u"stays"_s);
    QCOMPARE(EditorFileName, u"Untitled"_s);
}

void EditorFilesTest::openAndSaveKeepTheBytes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("saved");
    QTest::addRow("CRLF") << QByteArray("a 1\r\nb 2\r\n") << QByteArray("a 1\r\nb 2\r\n");
    QTest::addRow("LF") << QByteArray("a\nb\n\nc") << QByteArray("a\nb\n\nc");
    QTest::addRow("CR") << QByteArray("a\rb\r") << QByteArray("a\rb\r");
    QTest::addRow("no line end") << QByteArray("only") << QByteArray("only");
    QTest::addRow("8-bit") << QByteArray("\xe6\xf8\xe5 \xa0\t\xb0")
                           << QByteArray("\xe6\xf8\xe5 \xa0\t\xb0");
    QTest::addRow("mixed, LF first") << QByteArray("a\nb\r\nc\r") << QByteArray("a\nb\nc\n");
    QTest::addRow("mixed, CRLF first") << QByteArray("a\r\nb\nc") << QByteArray("a\r\nb\r\nc");
}

void EditorFilesTest::openAndSaveKeepTheBytes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, saved);
    const Workspace work;
    work.write(u"f.txt"_s, bytes);
    FakeDialogs dialogs;
    dialogs.fileAnswers = { work.path(u"f.txt"_s) };
    loadEditor({})->mnuFileItem_Click(1);
    frmEditor::instance()->mnuFileItem_Click(2);
    QVERIFY(!frmEditor::isLoaded());
    QCOMPARE(work.read(u"f.txt"_s), saved);
}

void EditorFilesTest::newTextIsSavedWithCrLf()
{
    const Workspace work;
    work.write(u"lf.txt"_s, "x\ny\n");
    FakeDialogs dialogs;
    dialogs.fileAnswers = { work.path(u"new.txt"_s) };
    frmEditor* editor = loadEditor(u"lf.txt"_s);
    editor->mnuFileItem_Click(0);
    editor->txtEdit->setPlainText(u"one\ntwo\n"_s);
    editor->mnuFileItem_Click(3);
    QCOMPARE(work.read(u"new.txt"_s), QByteArray("one\r\ntwo\r\n"));
}

void EditorFilesTest::characterOutsideEightBitIsRefused()
{
    const Workspace work;
    work.write(u"a.txt"_s, "old");
    FakeDialogs dialogs;
    frmEditor* editor = loadEditor(u"a.txt"_s);
    editor->txtEdit->setPlainText(u"ok\nangle \u03a9 here"_s);
    editor->mnuFileItem_Click(2);
    QVERIFY(frmEditor::isLoaded());
    QCOMPARE(work.read(u"a.txt"_s), QByteArray("old"));
    QCOMPARE(dialogs.errors.size(), 1);
    for (const QString& part : { work.path(u"a.txt"_s), u"U+03a9"_s, u"line 2"_s })
        QVERIFY2(dialogs.errors[0].contains(QDir::toNativeSeparators(part), Qt::CaseInsensitive),
            qPrintable(dialogs.errors[0]));
}

void EditorFilesTest::failedSaveNamesTheFileAndKeepsTheWindow()
{
    const Workspace work;
    FakeDialogs dialogs;
    const QString target = work.path(u"no/such/folder/out.txt"_s);
    dialogs.fileAnswers = { target };
    frmEditor* editor = openWith(u"keep me"_s);
    editor->mnuFileItem_Click(2);
    QVERIFY(frmEditor::isLoaded());
    QCOMPARE(dialogs.errors.size(), 1);
    QVERIFY2(dialogs.errors[0].contains(QDir::toNativeSeparators(target)),
        qPrintable(dialogs.errors[0]));
    QCOMPARE(EditorFileName, u"Untitled"_s);
    QCOMPARE(editor->txtEdit->toPlainText(), u"keep me"_s);
}

QTEST_MAIN(EditorFilesTest)
#include "tst_editor_files.moc"
