// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "editortest.h"

#include <QClipboard>
#include <QMenu>
#include <QMimeData>

// Edit and Settings menus on a loaded window, the clipboard being the system's real one.
class EditorCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { unloadEditor(); }

    void cutAndCopyFollowTheSelection();
    void shortcutsGoThroughTheClipboard_data();
    void shortcutsGoThroughTheClipboard();
    void colourItemsSetOneColour_data();
    void colourItemsSetOneColour();
    void fontChoicesSetTheSizeAndOneMark_data();
    void fontChoicesSetTheSizeAndOneMark();
};

// Offscreen and desktop platforms both have one; a platform without any cannot run these.
#define REQUIRE_CLIPBOARD()                                                                        \
    do {                                                                                           \
        QGuiApplication::clipboard()->setText(u"probe"_s);                                         \
        if (QGuiApplication::clipboard()->text() != u"probe")                                      \
            QSKIP("this platform offers no clipboard");                                            \
    } while (false)

static frmEditor* activeEditor(const QString& text, int from, int to)
{
    frmEditor* editor = loadEditor({});
    editor->txtEdit->setPlainText(text);
    QTextCursor cursor(editor->txtEdit->document());
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    editor->txtEdit->setTextCursor(cursor);
    editor->show();
    editor->activateWindow();
    return QTest::qWaitForWindowActive(editor) ? editor : nullptr;
}

void EditorCommandsTest::cutAndCopyFollowTheSelection()
{
    frmEditor* editor = activeEditor(u"alpha beta"_s, 0, 0);
    QVERIFY(editor);
    const auto enabled = [editor] {
        return QList<bool> { editor->mnuEditItem[0]->isEnabled(),
            editor->mnuEditItem[1]->isEnabled(), editor->mnuEditItem[2]->isEnabled() };
    };
    QCOMPARE(enabled(), QList<bool>({ false, false, true }));
    QTest::keyClick(editor->txtEdit, Qt::Key_Right, Qt::ShiftModifier);
    QCOMPARE(enabled(), QList<bool>({ true, true, true }));
    QTest::keyClick(editor->txtEdit, Qt::Key_Right);
    QCOMPARE(enabled(), QList<bool>({ false, false, true }));
}

void EditorCommandsTest::shortcutsGoThroughTheClipboard_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<QString>("clipboardBefore");
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<QString>("textAfter");
    QTest::addColumn<QString>("clipboardAfter");
    const QKeySequence cut(u"Ctrl+X"_s), copy(u"Ctrl+C"_s), paste(u"Ctrl+V"_s);
    QTest::addRow("copy a selection")
        << u"alpha beta"_s << 0 << 5 << u"old"_s << copy << u"alpha beta"_s << u"alpha"_s;
    QTest::addRow("cut a selection")
        << u"alpha beta"_s << 0 << 6 << u"old"_s << cut << u"beta"_s << u"alpha "_s;
    QTest::addRow("copy across lines")
        << u"ab\ncd"_s << 1 << 4 << u"old"_s << copy << u"ab\ncd"_s << u"b\nc"_s;
    QTest::addRow("paste at the caret")
        << u"alpha beta"_s << 5 << 5 << u"XY"_s << paste << u"alphaXY beta"_s << u"XY"_s;
    QTest::addRow("paste over a selection")
        << u"alpha beta"_s << 10 << 6 << u"gamma"_s << paste << u"alpha gamma"_s << u"gamma"_s;
    QTest::addRow("cut, then paste at the start")
        << u"north east"_s << 5 << 10 << u"old"_s << QKeySequence(u"Ctrl+X, Home, Ctrl+V"_s)
        << u" eastnorth"_s << u" east"_s;
    QTest::addRow("paste, no text on the clipboard")
        << u"keep drop keep"_s << 5 << 10 << u"<picture>"_s << paste << u"keep keep"_s << u""_s;
    QTest::addRow("copy, nothing selected")
        << u"alpha"_s << 2 << 2 << u"old"_s << copy << u"alpha"_s << u"old"_s;
    QTest::addRow("cut, nothing selected")
        << u"alpha"_s << 2 << 2 << u"old"_s << cut << u"alpha"_s << u"old"_s;
}

void EditorCommandsTest::shortcutsGoThroughTheClipboard()
{
    QFETCH(QString, text);
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QString, clipboardBefore);
    QFETCH(QKeySequence, keys);
    REQUIRE_CLIPBOARD();
    frmEditor* editor = activeEditor(text, from, to);
    QVERIFY(editor);
    if (clipboardBefore == u"<picture>") {
        auto* picture = new QMimeData;
        picture->setData(u"image/png"_s, QByteArray("\x89PNG", 4));
        QGuiApplication::clipboard()->setMimeData(picture);
    } else {
        QGuiApplication::clipboard()->setText(clipboardBefore);
    }
    QTest::keySequence(editor->txtEdit, keys);
    QTEST(editor->txtEdit->toPlainText(), "textAfter");
    QTEST(QGuiApplication::clipboard()->text(), "clipboardAfter");
}

void EditorCommandsTest::colourItemsSetOneColour_data()
{
    QTest::addColumn<QString>("array");
    QTest::addColumn<int>("index");
    QTest::addColumn<QColor>("back"); // invalid: unchanged
    QTest::addColumn<QColor>("fore");
    const QColor same;
    QTest::addRow("back red") << u"back"_s << 0 << QColor(255, 0, 0) << same;
    QTest::addRow("back green") << u"back"_s << 1 << QColor(0, 255, 0) << same;
    QTest::addRow("back blue") << u"back"_s << 2 << QColor(0, 0, 255) << same;
    QTest::addRow("back, no such item") << u"back"_s << 3 << same << same;
    QTest::addRow("fore red") << u"fore"_s << 0 << same << QColor(255, 0, 0);
    QTest::addRow("fore green") << u"fore"_s << 1 << same << QColor(0, 255, 0);
    QTest::addRow("fore blue opens a submenu") << u"fore"_s << 2 << same << same;
    QTest::addRow("light blue") << u"blue"_s << 0 << same << QColor(0, 150, 255);
    QTest::addRow("dark blue opens a submenu") << u"blue"_s << 1 << same << same;
    QTest::addRow("sea blue") << u"darkblue"_s << 0 << same << QColor(0, 50, 175);
    QTest::addRow("midnight blue") << u"darkblue"_s << 1 << same << QColor(0, 0, 255);
    QTest::addRow("dark blue, no such item") << u"darkblue"_s << 2 << same << same;
}

void EditorCommandsTest::colourItemsSetOneColour()
{
    QFETCH(QString, array);
    QFETCH(int, index);
    QFETCH(QColor, back);
    QFETCH(QColor, fore);
    frmEditor* editor = activeEditor(u"survey"_s, 0, 0);
    QVERIFY(editor);
    const QPalette before = editor->txtEdit->palette();
    const QHash<QString, QList<QAction*>> arrays { { u"back"_s, editor->mnuBackColorItem },
        { u"fore"_s, editor->mnuForeColorItem }, { u"blue"_s, editor->mnuBlueItem },
        { u"darkblue"_s, editor->mnuDarkBlueItem } };
    const QList<QAction*> items = arrays.value(array);
    if (index >= items.size()) {
        if (array == u"back")
            editor->mnuBackColorItem_Click(index);
        else
            editor->mnuDarkBlueItem_Click(index);
    } else if (QMenu* submenu = items[index]->menu()) {
        submenu->popup(QPoint(0, 0)); // a click on it only opens its submenu
        submenu->hide();
    } else {
        items[index]->trigger();
    }
    const QColor expectedBack = back.isValid() ? back : before.color(QPalette::Base);
    QCOMPARE(editor->txtEdit->palette().color(QPalette::Base), expectedBack);
    QCOMPARE(editor->txtEdit->palette().color(QPalette::Text),
        fore.isValid() ? fore : before.color(QPalette::Text));
    QWidget* viewport = editor->txtEdit->viewport();
    QCOMPARE(viewport->grab().toImage().pixelColor(viewport->width() - 3, viewport->height() - 3),
        expectedBack);
    QCOMPARE(editor->txtEdit->toPlainText(), u"survey"_s);
}

void EditorCommandsTest::fontChoicesSetTheSizeAndOneMark_data()
{
    QTest::addColumn<QList<int>>("clicks"); // size items; -1 is "&Font" answered with `dialog`
    QTest::addColumn<int>("dialog"); // points of a bold serif chosen there, 0 to cancel
    QTest::addColumn<qreal>("points");
    QTest::addColumn<QString>("marks"); // of 9, 10, 12 and 24
    QTest::addRow("9") << QList<int> { 0 } << 0 << 9.0 << u"x..."_s;
    QTest::addRow("10, already marked") << QList<int> { 1 } << 0 << 10.0 << u".x.."_s;
    QTest::addRow("24 twice") << QList<int> { 3, 3 } << 0 << 24.0 << u"...x"_s;
    QTest::addRow("24 then 12") << QList<int> { 3, 2 } << 0 << 12.0 << u"..x."_s;
    QTest::addRow("no such size") << QList<int> { 4 } << 0 << 10.5 << u".x.."_s;
    QTest::addRow("dialog, 12 pt") << QList<int> { -1 } << 12 << 12.0 << u"..x."_s;
    QTest::addRow("dialog, 11 pt") << QList<int> { -1 } << 11 << 11.0 << u"...."_s;
    QTest::addRow("dialog, then 24") << QList<int> { -1, 3 } << 11 << 24.0 << u"...x"_s;
    QTest::addRow("dialog cancelled") << QList<int> { -1 } << 0 << 10.5 << u".x.."_s;
}

void EditorCommandsTest::fontChoicesSetTheSizeAndOneMark()
{
    QFETCH(QList<int>, clicks);
    QFETCH(int, dialog);
    QFETCH(qreal, points);
    FakeDialogs dialogs;
    QFont serif(u"DejaVu Serif"_s, dialog, QFont::Bold, true);
    if (dialog)
        dialogs.fontAnswer = serif;
    frmEditor* editor = loadEditor({});
    const QFont design = editor->txtEdit->font();
    for (int index : clicks) {
        if (index < 0)
            editor->mnuFont->trigger();
        else if (index < editor->mnuFontSizesItem.size())
            editor->mnuFontSizesItem[index]->trigger();
        else
            editor->mnuFontSizesItem_Click(index);
    }
    QFont expected = dialog ? serif : design;
    expected.setPointSizeF(points);
    QCOMPARE(editor->txtEdit->font(), expected);
    QString marks;
    for (const QAction* item : std::as_const(editor->mnuFontSizesItem))
        marks += item->isChecked() ? u'x' : u'.';
    QTEST(marks, "marks");
}

QTEST_MAIN(EditorCommandsTest)
#include "tst_editor_commands.moc"
