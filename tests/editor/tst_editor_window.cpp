// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "editortest.h"

#include <QAccessible>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QScopeGuard>
#include <QScrollBar>
#include <QStyle>
#include <QStyleFactory>
#include <QWindow>

class EditorWindowTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { unloadEditor(); }

    void menuTreeRowMatches_data();
    void menuTreeRowMatches();
    void loadChoosesTheFileAndCaption_data();
    void loadChoosesTheFileAndCaption();
    void captionAtTheRootHasTwoSeparators();
    void windowCarriesTheLogoAsItsIcon();
    void textAreaHasADanishAccessibleName();
    void unreadableFileGivesAnErrorAndOpensUntitled();
    void textBoxFillsTheClientAreaAfterResizes_data();
    void textBoxFillsTheClientAreaAfterResizes();
    void centresOnTheWholeScreen_data();
    void centresOnTheWholeScreen();
    void reloadStartsFromTheDesignValues();
};

// One line per menu item: level | name | caption | shortcut | state.
static void flatten(const QList<QAction*>& actions, int level, QStringList& rows)
{
    for (const QAction* a : actions) {
        QStringList state;
        for (const auto& [on, word] :
            { std::pair { a->isSeparator(), u"separator"_s }, { !a->isVisible(), u"hidden"_s },
                { !a->isEnabled(), u"disabled"_s }, { a->isChecked(), u"checked"_s } })
            if (on)
                state << word;
        const QString caption = a->isSeparator() ? a->data().toString() : a->text();
        rows << QString::number(level) + u'|' + a->objectName() + u'|' + caption + u'|'
                + a->shortcut().toString() + u'|' + state.join(u' ');
        if (a->menu())
            flatten(a->menu()->actions(), level + 1, rows);
    }
}

void EditorWindowTest::menuTreeRowMatches_data()
{
    QTest::addColumn<int>("row"); // -1: mnuFileItem(5) as drawn in the style named by "item"
    QTest::addColumn<QString>("item");
    // Cut and Copy start disabled: a freshly loaded text has nothing selected. A hidden item
    // always reads as disabled too, as nothing can choose it.
    const QStringList table {
        u"1|mnuFile|&File||"_s,
        u"2|mnuFileItem(0)|&New||"_s,
        u"2|mnuFileItem(1)|&Open...||"_s,
        u"2|mnuFileItem(2)|&Save||"_s,
        u"2|mnuFileItem(3)|Save &As...||"_s,
        u"2|mnuFileItem(4)|&Close||"_s,
        u"2|mnuFileItem(5)|-||separator"_s,
        u"2|mnuFileItem(6)|E&xit||"_s,
        u"2|mnuFileArray(0)|-||separator hidden disabled"_s,
        u"1|mnuEdit|&Edit||"_s,
        u"2|mnuEditItem(0)|Cu&t|Ctrl+X|disabled"_s,
        u"2|mnuEditItem(1)|C&opy|Ctrl+C|disabled"_s,
        u"2|mnuEditItem(2)|&Paste|Ctrl+V|"_s,
        u"1|mnuSettings|&Settings||"_s,
        u"2|mnuSettingsItem(0)|&Colors||"_s,
        u"3|mnuColorsItem(0)|&BackColor||"_s,
        u"4|mnuBackColorItem(0)|&Red||"_s,
        u"4|mnuBackColorItem(1)|&Green||"_s,
        u"4|mnuBackColorItem(2)|&Blue||"_s,
        u"3|mnuColorsItem(1)|&ForeColor||"_s,
        u"4|mnuForeColorItem(0)|&Red||"_s,
        u"4|mnuForeColorItem(1)|&Green||"_s,
        u"4|mnuForeColorItem(2)|&Blue||"_s,
        u"5|mnuBlueItem(0)|&Light Blue||"_s,
        u"5|mnuBlueItem(1)|&Dark Blue||"_s,
        u"6|mnuDarkBlueItem(0)|&Sea Blue||"_s,
        u"6|mnuDarkBlueItem(1)|&Midnight Blue||"_s,
        u"2|mnuSettingsItem(1)|&Font Sizes||"_s,
        u"3|mnuFont|&Font||"_s,
        u"3|mnuFontSizesItem(0)|9||"_s,
        u"3|mnuFontSizesItem(1)|10||checked"_s,
        u"3|mnuFontSizesItem(2)|12||"_s,
        u"3|mnuFontSizesItem(3)|24||"_s,
        u"1|mnuPrint|&Print||hidden disabled"_s,
        u"1|mnuHelpEdit|&Help||hidden disabled"_s,
        u"(no further item)"_s,
    };
    for (int i = 0; i < table.size(); ++i)
        QTest::addRow("%d %s", i, qPrintable(table[i].section(u'|', 1, 1))) << i << table[i];
    // Fusion draws a separator's text beside its line; this one must look like a plain line.
    QTest::addRow("mnuFileItem(5) drawn in Fusion") << -1 << u"Fusion"_s;
}

void EditorWindowTest::menuTreeRowMatches()
{
    QFETCH(int, row);
    QFETCH(QString, item);
    frmEditor* editor = loadEditor({});
    if (row < 0) {
        QStyle* style = QStyleFactory::create(item);
        style->setParent(editor);
        QMenu plain;
        plain.addAction(u"above"_s);
        QAction* line = plain.addSeparator();
        plain.addAction(u"below"_s);
        const auto drawn = [style](QMenu* menu, QAction* separator) {
            menu->setStyle(style);
            menu->resize(menu->sizeHint()); // as when it opens
            const QRect at = menu->actionGeometry(separator);
            return menu->grab(QRect(at.topLeft(), QSize(40, at.height()))).toImage();
        };
        QCOMPARE(drawn(editor->mnuFile, editor->mnuFileItem[5]), drawn(&plain, line));
        return;
    }
    QStringList rows;
    flatten(editor->menuBar()->actions(), 1, rows);
    QCOMPARE(rows.value(row, u"(no further item)"_s), item);
}

void EditorWindowTest::loadChoosesTheFileAndCaption_data()
{
    QTest::addColumn<QString>("fileName"); // "@" stands for the workspace's folder
    QTest::addColumn<QString>("expectedName");
    QTest::addColumn<QString>("expectedText");
    QTest::addRow("unset") << QString() << u"Untitled"_s << u""_s;
    QTest::addRow("empty") << u""_s << u"Untitled"_s << u""_s;
    QTest::addRow("missing") << u"gone.txt"_s << u"Untitled"_s << u""_s;
    // A leading dot hides a file on Linux only; Windows has attributes for it.
    if (onWindows())
        QTest::addRow("dot name") << u".hidden.txt"_s << u".hidden.txt"_s << u"secret"_s;
    else
        QTest::addRow("hidden") << u".hidden.txt"_s << u"Untitled"_s << u""_s;
    QTest::addRow("folder") << u"folder"_s << u"Untitled"_s << u""_s;
    QTest::addRow("relative") << u"notes.txt"_s << u"notes.txt"_s << u"one\ntwo"_s;
    QTest::addRow("absolute") << u"@/notes.txt"_s << u"@/notes.txt"_s << u"one\ntwo"_s;
    QTest::addRow("real Untitled") << u"Untitled"_s << u"Untitled"_s << u"from disk\n"_s;
    QTest::addRow("empty file") << u"empty.txt"_s << u"empty.txt"_s << u""_s;
    if (onWindows()) {
        QTest::addRow("hidden attribute") << u"hidden.txt"_s << u"Untitled"_s << u""_s;
        QTest::addRow("system attribute") << u"system.txt"_s << u"Untitled"_s << u""_s;
    } else { // Windows allows neither ':' nor '*' in a name
        QTest::addRow("starts with a colon") << u":notes.txt"_s << u":notes.txt"_s << u"colon"_s;
        QTest::addRow("holds [*]") << u"a[*].txt"_s << u"a[*].txt"_s << u"star"_s;
    }
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
    if (onWindows()) {
        work.write(u"hidden.txt"_s, "secret");
        work.write(u"system.txt"_s, "secret");
        QVERIFY(markFile(work.path(u"hidden.txt"_s), false));
        QVERIFY(markFile(work.path(u"system.txt"_s), true));
    } else {
        work.write(u"./:notes.txt"_s, "colon");
        work.write(u"a[*].txt"_s, "star");
    }
    QVERIFY(QDir(work.path({})).mkdir(u"folder"_s));
    if (fileName == u"Untitled")
        work.write(u"Untitled"_s, "from disk\r\n");
    const QString here = QDir::currentPath();
    fileName.replace(u'@', here);
    expectedName.replace(u'@', here);

    frmEditor* editor = loadEditor(fileName);
    QCOMPARE(EditorFileName, expectedName);
    QCOMPARE(editor->txtEdit->toPlainText(), expectedText);
    editor->winId(); // the title the window shows, not the one it was given
    QCOMPARE(editor->windowHandle()->title(),
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
    if (PlatformTest::isRoot()) {
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
    // Windows: another program holds the file open and shares nothing; Linux: no read permission.
    const std::shared_ptr<void> denied = PlatformTest::denyReading(work.path(u"locked.txt"_s));
    QVERIFY(denied);
    FakeDialogs dialogs;
    frmEditor* editor = loadEditor(u"locked.txt"_s);
    QCOMPARE(dialogs.errors.size(), 1);
    QVERIFY2(dialogs.errors[0].startsWith(u"Fejl 70: "_s), qPrintable(dialogs.errors[0]));
    QVERIFY2(dialogs.errors[0].contains(QDir::toNativeSeparators(work.path(u"locked.txt"_s))),
        qPrintable(dialogs.errors[0]));
    QCOMPARE(EditorFileName, u"Untitled"_s);
    QCOMPARE(editor->txtEdit->toPlainText(), QString());
    QCOMPARE(editor->windowTitle(), caption(u"Untitled"_s));
}

void EditorWindowTest::windowCarriesTheLogoAsItsIcon()
{
    frmEditor* editor = loadEditor(QString());
    const QImage logo = QImage(u":/logo.png"_s).convertToFormat(QImage::Format_ARGB32);
    QVERIFY(!logo.isNull());
    QCOMPARE(
        editor->windowIcon().pixmap(logo.size()).toImage().convertToFormat(QImage::Format_ARGB32),
        logo);
}

void EditorWindowTest::textAreaHasADanishAccessibleName()
{
    frmEditor* editor = loadEditor(QString());
    QAccessibleInterface* text = QAccessible::queryAccessibleInterface(editor->txtEdit);
    QVERIFY(text);
    QCOMPARE(text->text(QAccessible::Name), u"Tekst"_s);
    QVERIFY(text->text(QAccessible::Description).contains(u"tekst"_s));
    QCOMPARE(text->role(), QAccessible::EditableText);
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
    // A long line is not wrapped but scrolls sideways; both scroll bars are always there.
    editor->txtEdit->setPlainText(QString(400, u'x'));
    QCoreApplication::sendPostedEvents();
    QCOMPARE(editor->txtEdit->document()->lineCount(), 1);
    QVERIFY(editor->txtEdit->horizontalScrollBar()->maximum() > 0);
    QVERIFY(editor->txtEdit->verticalScrollBar()->isVisible());
}

QTEST_MAIN(EditorWindowTest)
#include "tst_editor_window.moc"
