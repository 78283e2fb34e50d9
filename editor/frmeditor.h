// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "textfile.h"

#include <QList>
#include <QMainWindow>

class QAction;
class QMenu;
class QPlainTextEdit;

// The file the editor shows. It outlives the window: the next load reads the file it names.
// Null and empty alike mean no file, and "Untitled" stands for no file as well; a file that is
// really named Untitled is the editor's only once the window has read or chosen it.
extern QString EditorFileName;

// The top-left corner that centres a window of the given outer size on a screen of the given
// size; negative where the window is the larger, so that it overlaps both edges alike.
QPoint centredTopLeft(QSize screen, QSize window);

// "Sigtelinje - Text Editor: " and the file: an absolute path as it stands, any other name after
// the current folder and a separator.
QString editorCaption(const QString& fileName);

class frmEditor : public QMainWindow {
    Q_OBJECT

public:
    // The one editor window; asking for it while it is not loaded loads it.
    static frmEditor* instance();
    static bool isLoaded();

    static constexpr QSize designClientSize { 664, 446 }; // 9960 x 6690 twips

    QPlainTextEdit* txtEdit;
    QMenu* mnuFile;
    QMenu* mnuEdit;
    QMenu* mnuSettings;
    QList<QAction*> mnuFileItem;
    QList<QAction*> mnuFileArray;
    QList<QAction*> mnuEditItem;
    QList<QAction*> mnuSettingsItem;
    QList<QAction*> mnuColorsItem;
    QList<QAction*> mnuBackColorItem;
    QList<QAction*> mnuForeColorItem;
    QList<QAction*> mnuBlueItem;
    QList<QAction*> mnuDarkBlueItem;
    QList<QAction*> mnuFontSizesItem;
    QAction* mnuFont;
    QAction* mnuPrint;
    QAction* mnuHelpEdit;

    // One handler per menu array, told the index of the item; an index without an action is
    // ignored.
    void mnuFileItem_Click(int index);
    void mnuFileArray_Click(int index);
    void mnuEdit_Click();
    void mnuEditItem_Click(int index);
    void mnuBackColorItem_Click(int index);
    void mnuForeColorItem_Click(int index);
    void mnuBlueItem_Click(int index);
    void mnuDarkBlueItem_Click(int index);
    void mnuFontSizesItem_Click(int index);
    void mnuFont_Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using Click = void (frmEditor::*)(int);

    frmEditor();
    ~frmEditor() override;

    QAction* addItem(
        QMenu* menu, QList<QAction*>& array, const char* name, const QString& caption, Click click);
    QMenu* addSubmenu(QMenu* menu, QList<QAction*>& array, const char* name, const QString& caption,
        Click click = nullptr);
    void createMenus();
    void Form_Load();

    void refreshCaption();
    void showFile(const TextFile::ReadResult& file);
    void fileNew();
    void fileOpen();
    void fileSave();
    bool fileSaveAs();
    void fileClose();
    bool writeTo(const QString& name, const TextFile::Origin* replacing);
    QString text() const;
    void setBoxColour(QPalette::ColorRole role, QRgb colour);
    void markFontSize(qreal points);

    TextFile::LineEnd lineEnd = TextFile::LineEnd::CrLf;
    // Whether EditorFileName names a file this window read or chose, so that Save may write there
    // without asking.
    bool hasFile = false;
    // The file the text was read from or last saved to.
    TextFile::Origin opened;
};
