#include "editortest.h"

#include <QMenu>
#include <QMenuBar>
#include <QProcess>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

class EditorWindowTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { unloadEditor(); }

    void menuTreeRowMatches_data();
    void menuTreeRowMatches();
    void loadChoosesTheFileAndCaption_data();
    void loadChoosesTheFileAndCaption();
    void captionAtTheRootHasTwoSeparators();
    void unreadableFileGivesAnErrorAndOpensUntitled();
    void textBoxFillsTheClientAreaAfterResizes_data();
    void textBoxFillsTheClientAreaAfterResizes();
    void centresOnTheWholeScreen_data();
    void centresOnTheWholeScreen();
    void reloadStartsFromTheDesignValues();
};

struct MenuRow {
    int level;
    QString name, caption, shortcut, state;
};

static void flatten(const QList<QAction*>& actions, int level, QList<MenuRow>& rows)
{
    for (const QAction* a : actions) {
        QStringList state;
        if (a->isSeparator())
            state << u"separator"_s;
        if (!a->isVisible())
            state << u"hidden"_s;
        if (!a->isEnabled())
            state << u"disabled"_s;
        if (a->isChecked())
            state << u"checked"_s;
        rows.append(
            { level, a->objectName(), a->text(), a->shortcut().toString(), state.join(u' ') });
        if (a->menu())
            flatten(a->menu()->actions(), level + 1, rows);
    }
}

void EditorWindowTest::menuTreeRowMatches_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("level");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("shortcut");
    QTest::addColumn<QString>("state");
    // Cut and Copy start disabled: a freshly loaded text has nothing selected. A hidden item
    // always reads as disabled too, as nothing can choose it.
    const QList<MenuRow> table {
        { 1, u"mnuFile"_s, u"&File"_s, {}, {} },
        { 2, u"mnuFileItem(0)"_s, u"&New"_s, {}, {} },
        { 2, u"mnuFileItem(1)"_s, u"&Open..."_s, {}, {} },
        { 2, u"mnuFileItem(2)"_s, u"&Save"_s, {}, {} },
        { 2, u"mnuFileItem(3)"_s, u"Save &As..."_s, {}, {} },
        { 2, u"mnuFileItem(4)"_s, u"&Close"_s, {}, {} },
        { 2, u"mnuFileItem(5)"_s, u"-"_s, {}, u"separator"_s },
        { 2, u"mnuFileItem(6)"_s, u"E&xit"_s, {}, {} },
        { 2, u"mnuFileArray(0)"_s, u"-"_s, {}, u"separator hidden disabled"_s },
        { 1, u"mnuEdit"_s, u"&Edit"_s, {}, {} },
        { 2, u"mnuEditItem(0)"_s, u"Cu&t"_s, u"Ctrl+X"_s, u"disabled"_s },
        { 2, u"mnuEditItem(1)"_s, u"C&opy"_s, u"Ctrl+C"_s, u"disabled"_s },
        { 2, u"mnuEditItem(2)"_s, u"&Paste"_s, u"Ctrl+V"_s, {} },
        { 1, u"mnuSettings"_s, u"&Settings"_s, {}, {} },
        { 2, u"mnuSettingsItem(0)"_s, u"&Colors"_s, {}, {} },
        { 3, u"mnuColorsItem(0)"_s, u"&BackColor"_s, {}, {} },
        { 4, u"mnuBackColorItem(0)"_s, u"&Red"_s, {}, {} },
        { 4, u"mnuBackColorItem(1)"_s, u"&Green"_s, {}, {} },
        { 4, u"mnuBackColorItem(2)"_s, u"&Blue"_s, {}, {} },
        { 3, u"mnuColorsItem(1)"_s, u"&ForeColor"_s, {}, {} },
        { 4, u"mnuForeColorItem(0)"_s, u"&Red"_s, {}, {} },
        { 4, u"mnuForeColorItem(1)"_s, u"&Green"_s, {}, {} },
        { 4, u"mnuForeColorItem(2)"_s, u"&Blue"_s, {}, {} },
        { 5, u"mnuBlueItem(0)"_s, u"&Light Blue"_s, {}, {} },
        { 5, u"mnuBlueItem(1)"_s, u"&Dark Blue"_s, {}, {} },
        { 6, u"mnuDarkBlueItem(0)"_s, u"&Sea Blue"_s, {}, {} },
        { 6, u"mnuDarkBlueItem(1)"_s, u"&Midnight Blue"_s, {}, {} },
        { 2, u"mnuSettingsItem(1)"_s, u"&Font Sizes"_s, {}, {} },
        { 3, u"mnuFont"_s, u"&Font"_s, {}, {} },
        { 3, u"mnuFontSizesItem(0)"_s, u"9"_s, {}, {} },
        { 3, u"mnuFontSizesItem(1)"_s, u"10"_s, {}, u"checked"_s },
        { 3, u"mnuFontSizesItem(2)"_s, u"12"_s, {}, {} },
        { 3, u"mnuFontSizesItem(3)"_s, u"24"_s, {}, {} },
        { 1, u"mnuPrint"_s, u"&Print"_s, {}, u"hidden disabled"_s },
        { 1, u"mnuHelpEdit"_s, u"&Help"_s, {}, u"hidden disabled"_s },
        { 0, u"(end of menus)"_s, {}, {}, {} },
    };
    for (int i = 0; i < table.size(); ++i) {
        const MenuRow& r = table[i];
        QTest::addRow("%d %s", i, qPrintable(r.name))
            << i << r.level << r.name << r.caption << r.shortcut << r.state;
    }
}

void EditorWindowTest::menuTreeRowMatches()
{
    QFETCH(int, row);
    QFETCH(int, level);
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QString, shortcut);
    QFETCH(QString, state);
    QList<MenuRow> rows;
    flatten(loadEditor({})->menuBar()->actions(), 1, rows);
    rows.append({ 0, u"(end of menus)"_s, {}, {}, {} });
    QVERIFY(row < rows.size());
    QCOMPARE(rows[row].name, name);
    QCOMPARE(rows[row].level, level);
    QCOMPARE(rows[row].caption, caption);
    QCOMPARE(rows[row].shortcut, shortcut);
    QCOMPARE(rows[row].state, state);
}

void EditorWindowTest::loadChoosesTheFileAndCaption_data()
{
    QTest::addColumn<QString>("fileName"); // "@" stands for the workspace's folder
    QTest::addColumn<QString>("expectedName");
    QTest::addColumn<QString>("expectedText");
    QTest::addRow("unset") << QString() << u"Untitled"_s << u""_s;
    QTest::addRow("empty") << u""_s << u"Untitled"_s << u""_s;
    QTest::addRow("missing") << u"gone.txt"_s << u"Untitled"_s << u""_s;
    QTest::addRow("hidden") << u".hidden.txt"_s << u"Untitled"_s << u""_s;
    QTest::addRow("folder") << u"folder"_s << u"Untitled"_s << u""_s;
    QTest::addRow("relative") << u"notes.txt"_s << u"notes.txt"_s << u"one\ntwo"_s;
    QTest::addRow("absolute") << u"@/notes.txt"_s << u"@/notes.txt"_s << u"one\ntwo"_s;
    QTest::addRow("real Untitled") << u"Untitled"_s << u"Untitled"_s << u"from disk\n"_s;
    QTest::addRow("empty file") << u"empty.txt"_s << u"empty.txt"_s << u""_s;
}

void EditorWindowTest::loadChoosesTheFileAndCaption()
{
    QFETCH(QString, fileName);
    QFETCH(QString, expectedName);
    QFETCH(QString, expectedText);
    const Workspace work;
    work.write(u"notes.txt"_s, "one\ntwo");
    work.write(u".hidden.txt"_s, "secret");
    work.write(u"empty.txt"_s, "");
    QVERIFY(QDir(work.path({})).mkdir(u"folder"_s));
    if (fileName == u"Untitled")
        work.write(u"Untitled"_s, "from disk\r\n");
    const QString here = QDir::currentPath();
    fileName.replace(u'@', here);
    expectedName.replace(u'@', here);

    frmEditor* editor = loadEditor(fileName);
    QCOMPARE(EditorFileName, expectedName);
    QCOMPARE(editor->txtEdit->toPlainText(), expectedText);
    QCOMPARE(editor->windowTitle(),
        expectedName.startsWith(here)
            ? u"Sigtelinje - Text Editor: "_s + QDir::toNativeSeparators(expectedName)
            : caption(expectedName));
}

void EditorWindowTest::captionAtTheRootHasTwoSeparators()
{
    const QString previous = QDir::currentPath();
    QDir::setCurrent(QDir::rootPath());
    const QString title = loadEditor({})->windowTitle();
    QDir::setCurrent(previous);
    const QString root = QDir::toNativeSeparators(QDir::rootPath());
    QVERIFY(root.endsWith(QDir::separator()));
    QCOMPARE(title, u"Sigtelinje - Text Editor: "_s + root + QDir::separator() + u"Untitled"_s);
}

void EditorWindowTest::unreadableFileGivesAnErrorAndOpensUntitled()
{
#ifndef Q_OS_UNIX
    QSKIP("denying the owner read access needs POSIX permissions");
#else
    if (geteuid() == 0) {
        // Root reads every file, so this one case runs again as an ordinary user. The copy of
        // the test program lies where that user can reach it.
        QTemporaryDir dir;
        const QString copy = dir.filePath(u"tst"_s);
        QVERIFY(QFile::copy(QCoreApplication::applicationFilePath(), copy));
        QFile::setPermissions(dir.path(), QFile::permissions(dir.path()) | QFile::ExeOther);
        QFile::setPermissions(copy, QFile::permissions(copy) | QFile::ReadOther | QFile::ExeOther);
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.setWorkingDirectory(dir.path());
        child.start(u"setpriv"_s,
            { u"--reuid=nobody"_s, u"--regid=nogroup"_s, u"--clear-groups"_s, copy,
                QString::fromLatin1(QTest::currentTestFunction()) });
        QVERIFY2(child.waitForFinished(120000), "the unprivileged run did not finish");
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QCOMPARE(child.exitCode(), 0);
        return;
    }
    const Workspace work;
    work.write(u"locked.txt"_s, "private");
    QVERIFY(QFile::setPermissions(work.path(u"locked.txt"_s), QFileDevice::WriteOwner));
    FakeDialogs dialogs;
    frmEditor* editor = loadEditor(u"locked.txt"_s);
    QCOMPARE(dialogs.errors.size(), 1);
    QVERIFY2(dialogs.errors[0].startsWith(u"Error "_s), qPrintable(dialogs.errors[0]));
    QVERIFY2(dialogs.errors[0].contains(QDir::toNativeSeparators(work.path(u"locked.txt"_s))),
        qPrintable(dialogs.errors[0]));
    QCOMPARE(EditorFileName, u"Untitled"_s);
    QCOMPARE(editor->txtEdit->toPlainText(), QString());
    QCOMPARE(editor->windowTitle(), caption(u"Untitled"_s));
#endif
}

static QRect clientArea(QMainWindow* window)
{
    const int menuBottom = window->menuBar()->geometry().bottom() + 1;
    return QRect(0, menuBottom, window->width(), window->height() - menuBottom);
}

void EditorWindowTest::textBoxFillsTheClientAreaAfterResizes_data()
{
    QTest::addColumn<QList<QSize>>("sizes");
    QTest::addRow("design") << QList<QSize> {};
    QTest::addRow("larger") << QList<QSize> { { 1000, 700 } };
    QTest::addRow("smaller, then wide") << QList<QSize> { { 400, 300 }, { 1200, 250 } };
    QTest::addRow("tiny") << QList<QSize> { { 150, 120 } };
}

void EditorWindowTest::textBoxFillsTheClientAreaAfterResizes()
{
    QFETCH(QList<QSize>, sizes);
    frmEditor* editor = loadEditor({});
    editor->show();
    QVERIFY(QTest::qWaitForWindowExposed(editor));
    if (sizes.isEmpty())
        QCOMPARE(editor->txtEdit->size(), frmEditor::designClientSize);
    for (const QSize& size : sizes) {
        editor->resize(size);
        QCoreApplication::sendPostedEvents();
        QCOMPARE(editor->txtEdit->geometry(), clientArea(editor));
    }
}

void EditorWindowTest::centresOnTheWholeScreen_data()
{
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<QSize>("window");
    QTest::addColumn<QPoint>("topLeft");
    QTest::addRow("window smaller") << QSize(1280, 1024) << QSize(664, 470) << QPoint(308, 277);
    QTest::addRow("same size") << QSize(800, 600) << QSize(800, 600) << QPoint(0, 0);
    QTest::addRow("window larger") << QSize(800, 600) << QSize(1000, 700) << QPoint(-100, -50);
    QTest::addRow("odd difference") << QSize(1000, 800) << QSize(665, 501) << QPoint(168, 150);
}

void EditorWindowTest::centresOnTheWholeScreen()
{
    QFETCH(QSize, screen);
    QFETCH(QSize, window);
    QFETCH(QPoint, topLeft);
    QCOMPARE(centredTopLeft(screen, window), topLeft);
}

void EditorWindowTest::reloadStartsFromTheDesignValues()
{
    const Workspace work;
    work.write(u"notes.txt"_s, "kept on disk");
    frmEditor* editor = loadEditor(u"notes.txt"_s);
    const QPalette design = editor->txtEdit->palette();
    editor->show();
    editor->mnuBackColorItem_Click(0);
    editor->mnuForeColorItem_Click(1);
    editor->mnuFontSizesItem_Click(3);
    editor->mnuFileItem[4]->trigger(); // Close: empties the text, disables Save As
    editor->resize(300, 200);
    EditorFileName = u"notes.txt"_s;
    unloadEditor();

    editor = frmEditor::instance();
    editor->show();
    QVERIFY(QTest::qWaitForWindowExposed(editor));
    QCOMPARE(editor->txtEdit->toPlainText(), u"kept on disk"_s);
    QCOMPARE(editor->txtEdit->palette().color(QPalette::Base), design.color(QPalette::Button));
    QCOMPARE(editor->txtEdit->palette().color(QPalette::Text), design.color(QPalette::WindowText));
    QCOMPARE(editor->txtEdit->font().pointSizeF(), 10.5);
    const QFontMetrics metrics(editor->txtEdit->font());
    QCOMPARE(metrics.horizontalAdvance(u'i'), metrics.horizontalAdvance(u'W'));
    QVERIFY(editor->mnuFontSizesItem[1]->isChecked());
    QVERIFY(!editor->mnuFontSizesItem[3]->isChecked());
    QVERIFY(editor->mnuFileItem[3]->isEnabled());
    QCOMPARE(editor->txtEdit->size(), frmEditor::designClientSize);
}

QTEST_MAIN(EditorWindowTest)
#include "tst_editor_window.moc"
