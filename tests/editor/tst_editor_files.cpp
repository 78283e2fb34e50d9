// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "editortest.h"

class EditorFilesTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { unloadEditor(); }
    void fileCommandsRecordReadAndWrite_data();
    void fileCommandsRecordReadAndWrite();
    void openAndSaveKeepTheBytes_data();
    void openAndSaveKeepTheBytes();
};

// A file named Untitled lies in every folder: it is the editor's file only once the window read
// or chose it.
static const QMap<QString, QByteArray> startFiles { { u"a.txt"_s, "old\r\n" },
    { u"b.pkt"_s, "P1\r\nP2\r\n" }, { u"lf.txt"_s, "x\ny\n" }, { u".hidden"_s, "h" },
    { u"Untitled"_s, "before" } };

using Clicks = QList<int>; // File menu items, in order; -1 types the row's text there

void EditorFilesTest::fileCommandsRecordReadAndWrite_data()
{
    QTest::addColumn<QString>("start"); // EditorFileName at load
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("answers"); // to the file dialogs, as FakeDialogs takes them
    QTest::addColumn<Clicks>("clicks");
    QTest::addColumn<QString>("name"); // "@" is the folder's absolute path
    QTest::addColumn<QString>("title"); // "%" is the current folder and a separator
    QTest::addColumn<QString>("text"); // "<closed>" when the window is unloaded
    QTest::addColumn<QStringList>("written"); // "file=bytes"; every other file stays as it was
    QTest::addColumn<QString>("error"); // part of the one message shown, if any
    const QStringList none;
    QTest::addRow("New") << u"a.txt"_s << u""_s << none << Clicks { 0 } << u"Untitled"_s
                         << u"%Untitled"_s << u""_s << none << u""_s;
    QTest::addRow("Open") << u""_s << u"scratch"_s << QStringList { u"b.pkt"_s } << Clicks { -1, 1 }
                          << u"@/b.pkt"_s << u"@/b.pkt"_s << u"P1\nP2\n"_s << none << u""_s;
    QTest::addRow("Open Untitled, All Files")
        << u""_s << u""_s << QStringList { u"All Files (*.*)>Untitled"_s } << Clicks { 1 }
        << u"@/Untitled"_s << u"@/Untitled"_s << u"before"_s << none << u""_s;
    QTest::addRow("Open cancelled") << u"a.txt"_s << u""_s << QStringList { u""_s } << Clicks { 1 }
                                    << u"a.txt"_s << u"%a.txt"_s << u"old\n"_s << none << u""_s;
    QTest::addRow("Open missing") << u"a.txt"_s << u""_s << QStringList { u"gone.txt"_s }
                                  << Clicks { 1 } << u"a.txt"_s << u"%a.txt"_s << u"old\n"_s << none
                                  << u"gone.txt kan ikke åbnes: den findes ikke"_s;
    QTest::addRow("Open hidden") << u"a.txt"_s << u""_s << QStringList { u".hidden"_s }
                                 << Clicks { 1 } << u"a.txt"_s << u"%a.txt"_s << u"old\n"_s << none
                                 << u".hidden kan ikke åbnes: den findes ikke"_s;
    QTest::addRow("Save") << u"a.txt"_s << u"new\nlines\n"_s << none << Clicks { -1, 2 }
                          << u"a.txt"_s << u""_s << u"<closed>"_s
                          << QStringList { u"a.txt=new\r\nlines\r\n"_s } << u""_s;
    QTest::addRow("Save untitled")
        << u""_s << u"typed"_s << QStringList { u"o.dat"_s } << Clicks { -1, 2 } << u"@/o.dat"_s
        << u""_s << u"<closed>"_s << QStringList { u"o.dat=typed"_s } << u""_s;
    QTest::addRow("Save untitled, cancelled")
        << u""_s << u"typed"_s << QStringList { u""_s } << Clicks { -1, 2 } << u"Untitled"_s
        << u"%Untitled"_s << u"typed"_s << none << u""_s;
    QTest::addRow("Save to real Untitled")
        << u"Untitled"_s << u"typed"_s << none << Clicks { -1, 2 } << u"Untitled"_s << u""_s
        << u"<closed>"_s << QStringList { u"Untitled=typed"_s } << u""_s;
    QTest::addRow("New, then Save, cancelled")
        << u"a.txt"_s << u"typed"_s << QStringList { u""_s } << Clicks { 0, -1, 2 } << u"Untitled"_s
        << u"%Untitled"_s << u"typed"_s << none << u""_s;
    QTest::addRow("Save As") << u"a.txt"_s << u""_s << QStringList { u"x.dat"_s } << Clicks { 3 }
                             << u"@/x.dat"_s << u"@/x.dat"_s << u"old\n"_s
                             << QStringList { u"x.dat=old\r\n"_s } << u""_s;
    QTest::addRow("Save As cancelled")
        << u"a.txt"_s << u""_s << QStringList { u""_s } << Clicks { 3 } << u"a.txt"_s << u"%a.txt"_s
        << u"old\n"_s << none << u""_s;
    QTest::addRow("new text, CRLF")
        << u"lf.txt"_s << u"1\n2\n"_s << QStringList { u"n.txt"_s } << Clicks { 0, -1, 3 }
        << u"@/n.txt"_s << u"@/n.txt"_s << u"1\n2\n"_s << QStringList { u"n.txt=1\r\n2\r\n"_s }
        << u""_s;
    QTest::addRow("Close") << u"a.txt"_s << u"typed"_s << none << Clicks { -1, 4 } << u""_s
                           << u"%a.txt"_s << u""_s << none << u""_s;
    QTest::addRow("Close twice") << u"a.txt"_s << u""_s << none << Clicks { 4, 4 } << u""_s
                                 << u"%"_s << u""_s << none << u""_s;
    QTest::addRow("New after Close") << u"a.txt"_s << u""_s << none << Clicks { 4, 0 }
                                     << u"Untitled"_s << u"%Untitled"_s << u""_s << none << u""_s;
    QTest::addRow("Exit") << u"a.txt"_s << u"unsaved"_s << none << Clicks { -1, 6 } << u"a.txt"_s
                          << u""_s << u"<closed>"_s << none << u""_s;
    QTest::addRow("no action") << u"a.txt"_s << u""_s << none << Clicks { 5, 7 } << u"a.txt"_s
                               << u"%a.txt"_s << u"old\n"_s << none << u""_s;
    QTest::addRow("not 8-bit") << u"a.txt"_s << u"ok\nsee \u03a9"_s << none << Clicks { -1, 2 }
                               << u"a.txt"_s << u"%a.txt"_s << u"ok\nsee \u03a9"_s << none
                               << u"a.txt kan ikke gemmes: tegnet \"\u03a9\" (U+03a9) i linje 2"_s;
    QTest::addRow("failed save") << u""_s << u"keep"_s << QStringList { u"no/dir/o.txt"_s }
                                 << Clicks { -1, 2 } << u"Untitled"_s << u"%Untitled"_s << u"keep"_s
                                 << none << u"no/dir/o.txt"_s;
}

void EditorFilesTest::fileCommandsRecordReadAndWrite()
{
    QFETCH(QString, start);
    QFETCH(QString, typed);
    QFETCH(QStringList, answers);
    QFETCH(Clicks, clicks);
    QFETCH(QString, name);
    QFETCH(QString, title);
    QFETCH(QStringList, written);
    QFETCH(QString, error);
    const Workspace work;
    QMap<QString, QByteArray> files = startFiles;
    for (auto file = files.cbegin(); file != files.cend(); ++file) {
        work.write(file.key(), file.value());
        // A leading dot hides a file on Linux; on Windows the attribute does.
        if (onWindows() && file.key().startsWith(u'.'))
            QVERIFY(markFile(work.path(file.key()), false));
    }
    FakeDialogs dialogs;
    for (const QString& answer : std::as_const(answers)) {
        const qsizetype name = answer.indexOf(u'>') + 1; // after a filter the user picked
        dialogs.fileAnswers << (answer.isEmpty() ? answer
                                                 : answer.left(name) + work.path(answer.mid(name)));
    }

    frmEditor* editor = loadEditor(start);
    for (int click : clicks) {
        if (click < 0)
            editor->txtEdit->setPlainText(typed);
        else if (editor->mnuFileItem.value(click) && editor->mnuFileItem[click]->isEnabled())
            editor->mnuFileItem[click]->trigger();
        else
            editor->mnuFileItem_Click(click);
    }

    QCOMPARE(dialogs.asked.size(), answers.size());
    for (const QString& asked : std::as_const(dialogs.asked))
        QVERIFY(asked.endsWith(
            asked.startsWith(u"open") ? u"@ Point Files (*.pkt)"_s : u"@ Data Files (*.dat)"_s));
    const QString here = QDir::currentPath();
    QCOMPARE(EditorFileName, name.replace(u'@', here));
    QCOMPARE(frmEditor::isLoaded(), !title.isEmpty());
    if (frmEditor::isLoaded()) {
        QCOMPARE(editor->windowTitle(),
            u"Sigtelinje - Text Editor: "_s
                + QDir::toNativeSeparators(title.replace(u'%', here + u'/').replace(u'@', here)));
        QTEST(editor->txtEdit->toPlainText(), "text");
        QCOMPARE(editor->mnuFileItem[3]->isEnabled(), !clicks.contains(4));
    }
    for (const QString& file : std::as_const(written))
        files.insert(file.section(u'=', 0, 0), file.section(u'=', 1).toLatin1());
    QStringList names = QDir(work.path({})).entryList(QDir::Files | QDir::Hidden);
    names.sort();
    QCOMPARE(names, QStringList(files.keys()));
    for (const QString& file : names)
        QCOMPARE(work.read(file), files.value(file));
    QCOMPARE(dialogs.errors.size(), error.isEmpty() ? 0 : 1);
    if (!error.isEmpty())
        QVERIFY2(dialogs.errors[0].contains(QDir::toNativeSeparators(work.path(error))),
            qPrintable(dialogs.errors[0]));
}

void EditorFilesTest::openAndSaveKeepTheBytes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("saved");
    QTest::addColumn<QString>("shows"); // found in the text box once opened
    QTest::addColumn<QString>("typed"); // at the end of the text before it is saved
    QTest::addRow("CRLF") << QByteArray("a 1\r\nb 2\r\n") << QByteArray("a 1\r\nb 2\r\n")
                          << u"b 2"_s << QString();
    // A file without a line end gets CR LF, as a new file does, for a line added.
    QTest::addRow("no line end, a line added")
        << QByteArray("only") << QByteArray("only\r\nnext") << u"only"_s << u"\nnext"_s;
    QTest::addRow("LF, a line added")
        << QByteArray("a\nb") << QByteArray("a\nb\nnext") << u"b"_s << u"\nnext"_s;
    QTest::addRow("LF") << QByteArray("a\nb\n\nc") << QByteArray("a\nb\n\nc") << u"c"_s
                        << QString();
    QTest::addRow("CR") << QByteArray("a\rb\r") << QByteArray("a\rb\r") << u"b"_s << QString();
    QTest::addRow("no line end") << QByteArray("only") << QByteArray("only") << u"only"_s
                                 << QString();
    QTest::addRow("8-bit") << QByteArray("\xe6\xf8\xe5 \xa0\t\xb0")
                           << QByteArray("\xe6\xf8\xe5 \xa0\t\xb0") << u"\u00e6\u00f8\u00e5"_s
                           << QString();
    QTest::addRow("mixed, LF first")
        << QByteArray("a\nb\r\nc\r") << QByteArray("a\nb\nc\n") << u"c"_s << QString();
    QTest::addRow("mixed, CRLF first")
        << QByteArray("a\r\nb\nc") << QByteArray("a\r\nb\r\nc") << u"c"_s << QString();
    // Every byte value, line ends apart, through the 8-bit encoding: Latin-1 on Linux,
    // the ANSI code page on Windows (1252 under Wine, with its five unassigned bytes).
    QByteArray every;
    for (int byte = 0; byte < 256; ++byte) {
        if (byte != '\n' && byte != '\r')
            every.append(char(byte));
    }
    every.append("\r\n");
    // Byte 0x80 is the euro sign in 1252 and a control character in Latin-1.
    QTest::addRow("every byte value")
        << every << every << (onWindows() ? u"\u20ac"_s : u"\u0080"_s) << QString();
}

void EditorFilesTest::openAndSaveKeepTheBytes()
{
    QFETCH(QByteArray, bytes);
    const Workspace work;
    work.write(u"f.txt"_s, bytes);
    FakeDialogs dialogs;
    dialogs.fileAnswers = { work.path(u"f.txt"_s) };
    loadEditor({})->mnuFileItem_Click(1);
    QFETCH(QString, shows);
    QVERIFY(frmEditor::instance()->txtEdit->toPlainText().contains(shows));
    QFETCH(QString, typed);
    frmEditor::instance()->txtEdit->moveCursor(QTextCursor::End);
    frmEditor::instance()->txtEdit->insertPlainText(typed);
    frmEditor::instance()->mnuFileItem_Click(2);
    QVERIFY(!frmEditor::isLoaded());
    QTEST(work.read(u"f.txt"_s), "saved");
}

QTEST_MAIN(EditorFilesTest)
#include "tst_editor_files.moc"
