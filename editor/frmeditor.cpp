// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmeditor.h"

#include "editordialogs.h"
#include "gsierror.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTextBlock>

#include <array>

using namespace Qt::StringLiterals;

QString EditorFileName;

namespace {

frmEditor* loadedEditor = nullptr;

constexpr int TwipsPerPixel = 15;
const QString untitled = u"Untitled"_s;

// "All Files (*.*)" is the caption users know; its pattern is "*", as "*.*" would hide names
// without a dot (Untitled among them) everywhere but in Windows' own dialogs.
const QString openFilters = u"All Files (*.*)|*|Point Files (*.pkt)|*.pkt|"
                            "Reference Files (*.fix)|*.fix|Design Files (*.zer)|*.zer|"
                            "Control Files (*.ctl)|*.ctl"_s;
const QString openFilter = u"Point Files (*.pkt)"_s;
const QString saveFilters = u"All Files (*.*)|*|Text Files (*.txt)|*.txt|"
                            "Batch Files (*.bat)|*.bat|Data Files (*.dat)|*.dat"_s;
const QString saveFilter = u"Data Files (*.dat)"_s;

constexpr std::array<qreal, 4> fontSizes { 9, 10, 12, 24 };

QFont designFont()
{
    // Survey files are read by their columns, so where Courier New is missing the system's
    // fixed-pitch font stands in rather than whatever "Courier New" would be matched to.
    QFont font = QFontDatabase::hasFamily(u"Courier New"_s)
        ? QFont(u"Courier New"_s)
        : QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSizeF(10.5);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    return font;
}

// The text box keeps line ends as block breaks; the files and the clipboard want '\n'.
QString withLineFeeds(QString text)
{
    text.replace(QChar::ParagraphSeparator, u'\n');
    text.replace(QChar::LineSeparator, u'\n');
    return text;
}

} // namespace

QPoint centredTopLeft(QSize screen, QSize window)
{
    // Worked out in twips like all of the window's geometry, each half in floating point.
    const auto centre = [](int screenPixels, int windowPixels) {
        const float twips
            = float(screenPixels * TwipsPerPixel / 2.0 - windowPixels * TwipsPerPixel / 2.0);
        return qRound(twips / TwipsPerPixel);
    };
    return { centre(screen.width(), window.width()), centre(screen.height(), window.height()) };
}

QString editorCaption(const QString& fileName)
{
    const QString caption = u"Sigtelinje - Text Editor: "_s;
    if (!fileName.isEmpty() && QDir::isAbsolutePath(TextFile::diskName(fileName)))
        return caption + QDir::toNativeSeparators(fileName);
    return caption + QDir::toNativeSeparators(QDir::currentPath()) + QDir::separator() + fileName;
}

frmEditor* frmEditor::instance()
{
    if (!loadedEditor)
        loadedEditor = new frmEditor;
    return loadedEditor;
}

bool frmEditor::isLoaded() { return loadedEditor != nullptr; }

frmEditor::frmEditor()
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(u"Sigtelinje EDITOR"_s);
    // The logo, as the main window has it, for the title bar and the taskbar.
    setWindowIcon(QIcon(u":/logo.png"_s));

    txtEdit = new QPlainTextEdit(this);
    txtEdit->setObjectName(u"txtEdit"_s);
    txtEdit->setAccessibleName(u"Tekst"_s);
    txtEdit->setAccessibleDescription(u"Filens tekst, som den gemmes"_s);
    txtEdit->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtEdit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtEdit->setFont(designFont());
    QPalette palette = txtEdit->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Button));
    palette.setColor(QPalette::Text, palette.color(QPalette::WindowText));
    txtEdit->setPalette(palette);
    txtEdit->installEventFilter(this);
    // The central widget fills the client area below the menu bar after every resize.
    setCentralWidget(txtEdit);

    createMenus();
    connect(txtEdit, &QPlainTextEdit::copyAvailable, this, &frmEditor::mnuEdit_Click);
    mnuEdit_Click();
    // The main window gives the menu bar the height it asks for at this width, which on
    // Windows is not quite its size hint.
    resize(designClientSize.width(),
        designClientSize.height() + menuBar()->heightForWidth(designClientSize.width()));

    Form_Load();
    txtEdit->setFocus();
}

frmEditor::~frmEditor()
{
    if (loadedEditor == this)
        loadedEditor = nullptr;
}

QAction* frmEditor::addItem(
    QMenu* menu, QList<QAction*>& array, const char* name, const QString& caption, Click click)
{
    const int index = int(array.size());
    // Some styles (Fusion) draw a separator's text beside its line, so a separator keeps its
    // caption as data only.
    const bool separator = caption == u"-";
    auto* item = menu->addAction(separator ? QString() : caption);
    item->setObjectName(u"%1(%2)"_s.arg(QLatin1StringView(name)).arg(index));
    item->setSeparator(separator);
    if (separator)
        item->setData(caption);
    connect(item, &QAction::triggered, this, [this, click, index] { (this->*click)(index); });
    array.append(item);
    return item;
}

// An item that opens a submenu has no action of its own; where its array has a handler, the
// handler still hears of it when the submenu opens, and ignores its index.
QMenu* frmEditor::addSubmenu(
    QMenu* menu, QList<QAction*>& array, const char* name, const QString& caption, Click click)
{
    const int index = int(array.size());
    QMenu* submenu = menu->addMenu(caption);
    submenu->menuAction()->setObjectName(u"%1(%2)"_s.arg(QLatin1StringView(name)).arg(index));
    if (click)
        connect(
            submenu, &QMenu::aboutToShow, this, [this, click, index] { (this->*click)(index); });
    array.append(submenu->menuAction());
    return submenu;
}

void frmEditor::createMenus()
{
    mnuFile = menuBar()->addMenu(u"&File"_s);
    mnuFile->menuAction()->setObjectName(u"mnuFile"_s);
    for (const QString& caption :
        { u"&New"_s, u"&Open..."_s, u"&Save"_s, u"Save &As..."_s, u"&Close"_s, u"-"_s, u"E&xit"_s })
        addItem(mnuFile, mnuFileItem, "mnuFileItem", caption, &frmEditor::mnuFileItem_Click);
    addItem(mnuFile, mnuFileArray, "mnuFileArray", u"-"_s, &frmEditor::mnuFileArray_Click)
        ->setVisible(false);

    mnuEdit = menuBar()->addMenu(u"&Edit"_s);
    mnuEdit->menuAction()->setObjectName(u"mnuEdit"_s);
    connect(mnuEdit, &QMenu::aboutToShow, this, &frmEditor::mnuEdit_Click);
    const std::array<std::pair<QString, QKeyCombination>, 3> editItems { {
        { u"Cu&t"_s, Qt::CTRL | Qt::Key_X },
        { u"C&opy"_s, Qt::CTRL | Qt::Key_C },
        { u"&Paste"_s, Qt::CTRL | Qt::Key_V },
    } };
    for (const auto& [caption, key] : editItems)
        addItem(mnuEdit, mnuEditItem, "mnuEditItem", caption, &frmEditor::mnuEditItem_Click)
            ->setShortcut(key);

    mnuSettings = menuBar()->addMenu(u"&Settings"_s);
    mnuSettings->menuAction()->setObjectName(u"mnuSettings"_s);
    QMenu* colors = addSubmenu(mnuSettings, mnuSettingsItem, "mnuSettingsItem", u"&Colors"_s);
    QMenu* backColor = addSubmenu(colors, mnuColorsItem, "mnuColorsItem", u"&BackColor"_s);
    for (const QString& caption : { u"&Red"_s, u"&Green"_s, u"&Blue"_s })
        addItem(backColor, mnuBackColorItem, "mnuBackColorItem", caption,
            &frmEditor::mnuBackColorItem_Click);
    QMenu* foreColor = addSubmenu(colors, mnuColorsItem, "mnuColorsItem", u"&ForeColor"_s);
    for (const QString& caption : { u"&Red"_s, u"&Green"_s })
        addItem(foreColor, mnuForeColorItem, "mnuForeColorItem", caption,
            &frmEditor::mnuForeColorItem_Click);
    QMenu* blue = addSubmenu(foreColor, mnuForeColorItem, "mnuForeColorItem", u"&Blue"_s,
        &frmEditor::mnuForeColorItem_Click);
    addItem(blue, mnuBlueItem, "mnuBlueItem", u"&Light Blue"_s, &frmEditor::mnuBlueItem_Click);
    QMenu* darkBlue = addSubmenu(
        blue, mnuBlueItem, "mnuBlueItem", u"&Dark Blue"_s, &frmEditor::mnuBlueItem_Click);
    for (const QString& caption : { u"&Sea Blue"_s, u"&Midnight Blue"_s })
        addItem(darkBlue, mnuDarkBlueItem, "mnuDarkBlueItem", caption,
            &frmEditor::mnuDarkBlueItem_Click);

    QMenu* sizes = addSubmenu(mnuSettings, mnuSettingsItem, "mnuSettingsItem", u"&Font Sizes"_s);
    mnuFont = sizes->addAction(u"&Font"_s);
    mnuFont->setObjectName(u"mnuFont"_s);
    connect(mnuFont, &QAction::triggered, this, &frmEditor::mnuFont_Click);
    for (const qreal size : fontSizes)
        addItem(sizes, mnuFontSizesItem, "mnuFontSizesItem", QString::number(size),
            &frmEditor::mnuFontSizesItem_Click)
            ->setCheckable(true);
    mnuFontSizesItem[1]->setChecked(true);

    mnuPrint = menuBar()->addAction(u"&Print"_s);
    mnuPrint->setObjectName(u"mnuPrint"_s);
    mnuHelpEdit = menuBar()->addAction(u"&Help"_s);
    mnuHelpEdit->setObjectName(u"mnuHelpEdit"_s);
    for (QAction* unused : { mnuPrint, mnuHelpEdit }) {
        unused->setVisible(false);
        unused->setEnabled(false);
    }
}

void frmEditor::Form_Load()
{
    if (EditorFileName.isEmpty()) {
        EditorFileName = untitled;
    } else if (!TextFile::isNormalFile(EditorFileName)) {
        EditorFileName = untitled;
    } else {
        const TextFile::ReadResult file = TextFile::read(EditorFileName);
        if (file.ok) {
            showFile(file);
            hasFile = true;
        } else {
            // The window still opens, empty, so that the user can go on.
            editorDialogs().error(this, file.error);
            EditorFileName = untitled;
        }
    }
    refreshCaption();

    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect whole = screen ? screen->geometry() : QRect(QPoint(), frameGeometry().size());
    move(whole.topLeft() + centredTopLeft(whole.size(), frameGeometry().size()));
}

void frmEditor::refreshCaption()
{
    // Qt drops a "[*]" from a title, taking it for the place of its modified mark; doubled, it
    // shows once, so a file name keeps every character.
    setWindowTitle(editorCaption(EditorFileName).replace(u"[*]"_s, u"[*][*]"_s));
}

void frmEditor::showFile(const TextFile::ReadResult& file)
{
    txtEdit->setPlainText(file.text);
    lineEnd = file.lineEnd;
    opened = file.origin;
}

QString frmEditor::text() const { return withLineFeeds(txtEdit->document()->toRawText()); }

void frmEditor::closeEvent(QCloseEvent* event)
{
    // Closing never asks: unsaved text is dropped, as Exit drops it.
    event->accept();
    if (loadedEditor == this)
        loadedEditor = nullptr;
}

// The text box would take Ctrl+X, Ctrl+C and Ctrl+V for itself; letting them through to the Edit
// menu's shortcuts keeps the menu the one place that cuts, copies and pastes.
bool frmEditor::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == txtEdit && event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        const QKeySequence pressed(key->keyCombination());
        for (const QAction* item : std::as_const(mnuEditItem)) {
            if (item->shortcut() == pressed) {
                key->ignore();
                return true;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmEditor::mnuFileItem_Click(int index)
{
    switch (index) {
    case 0:
        fileNew();
        break;
    case 1:
        fileOpen();
        break;
    case 2:
        fileSave();
        break;
    case 3:
        fileSaveAs();
        break;
    case 4:
        fileClose();
        break;
    case 6:
        close();
        break;
    default:
        break;
    }
}

void frmEditor::mnuFileArray_Click(int) { }

void frmEditor::fileNew()
{
    txtEdit->clear();
    lineEnd = TextFile::LineEnd::CrLf;
    EditorFileName = untitled;
    hasFile = false;
    opened = {};
    refreshCaption();
}

void frmEditor::fileOpen()
{
    const QString name = editorDialogs().openFileName(this, openFilters, openFilter);
    if (name.isEmpty())
        return;
    if (!TextFile::isNormalFile(name)) {
        editorDialogs().error(this,
            u"Fejl %1: Filen %2 kan ikke åbnes: den findes ikke, eller den er skjult eller en "
            "mappe. Der er intet ændret."_s.arg(int(GsiError::FileNotFound))
                .arg(QDir::toNativeSeparators(name)));
        return;
    }
    const TextFile::ReadResult file = TextFile::read(name);
    if (!file.ok) {
        editorDialogs().error(this, file.error);
        return;
    }
    EditorFileName = name;
    hasFile = true;
    showFile(file);
    refreshCaption();
}

void frmEditor::fileSave()
{
    // A file named Untitled that merely lies in the current folder is someone else's: writing
    // there unasked would replace it.
    if (hasFile && !EditorFileName.isEmpty() ? writeTo(EditorFileName, &opened) : fileSaveAs())
        close();
}

bool frmEditor::fileSaveAs()
{
    const QString name = editorDialogs().saveFileName(this, saveFilters, saveFilter);
    if (name.isEmpty() || !writeTo(name, nullptr))
        return false;
    EditorFileName = name;
    hasFile = true;
    refreshCaption();
    return true;
}

void frmEditor::fileClose()
{
    refreshCaption();
    mnuFileItem[3]->setEnabled(false);
    EditorFileName = u""_s;
    hasFile = false;
    opened = {};
    txtEdit->clear();
    lineEnd = TextFile::LineEnd::CrLf;
}

bool frmEditor::writeTo(const QString& name, const TextFile::Origin* replacing)
{
    // A copy of a private file stays private; a text typed afresh is the user's own.
    const FileOrigin rights = hasFile ? opened.rights : FileOrigin();
    const TextFile::Result written = TextFile::write(name, text(), lineEnd, rights, replacing);
    if (!written.ok)
        editorDialogs().error(this, written.error);
    else
        opened = written.origin;
    return written.ok;
}

void frmEditor::mnuEdit_Click()
{
    const bool selected = txtEdit->textCursor().hasSelection();
    mnuEditItem[0]->setEnabled(selected);
    mnuEditItem[1]->setEnabled(selected);
}

void frmEditor::mnuEditItem_Click(int index)
{
    QTextCursor cursor = txtEdit->textCursor();
    switch (index) {
    case 0:
    case 1:
        // Without a selection the clipboard keeps what it holds.
        if (!cursor.hasSelection())
            return;
        QGuiApplication::clipboard()->setText(withLineFeeds(cursor.selectedText()));
        if (index == 0)
            cursor.removeSelectedText();
        break;
    case 2:
        cursor.beginEditBlock();
        cursor.removeSelectedText();
        cursor.insertText(QGuiApplication::clipboard()->text());
        cursor.endEditBlock();
        break;
    default:
        return;
    }
    txtEdit->setTextCursor(cursor);
}

void frmEditor::setBoxColour(QPalette::ColorRole role, QRgb colour)
{
    QPalette palette = txtEdit->palette();
    palette.setColor(role, QColor(colour));
    txtEdit->setPalette(palette);
}

void frmEditor::mnuBackColorItem_Click(int index)
{
    static constexpr std::array<QRgb, 3> colours { qRgb(255, 0, 0), qRgb(0, 255, 0),
        qRgb(0, 0, 255) };
    if (index >= 0 && index < int(colours.size()))
        setBoxColour(QPalette::Base, colours[index]);
}

void frmEditor::mnuForeColorItem_Click(int index)
{
    static constexpr std::array<QRgb, 2> colours { qRgb(255, 0, 0), qRgb(0, 255, 0) };
    if (index >= 0 && index < int(colours.size()))
        setBoxColour(QPalette::Text, colours[index]);
}

void frmEditor::mnuBlueItem_Click(int index)
{
    if (index == 0)
        setBoxColour(QPalette::Text, qRgb(0, 150, 255));
}

void frmEditor::mnuDarkBlueItem_Click(int index)
{
    static constexpr std::array<QRgb, 2> colours { qRgb(0, 50, 175), qRgb(0, 0, 255) };
    if (index >= 0 && index < int(colours.size()))
        setBoxColour(QPalette::Text, colours[index]);
}

void frmEditor::mnuFontSizesItem_Click(int index)
{
    if (index < 0 || index >= int(fontSizes.size()))
        return;
    QFont font = txtEdit->font();
    font.setPointSizeF(fontSizes[index]);
    txtEdit->setFont(font);
    markFontSize(fontSizes[index]);
}

// Every mark is written each time, so exactly the item of the size shown carries one, or none.
void frmEditor::markFontSize(qreal points)
{
    for (qsizetype i = 0; i < mnuFontSizesItem.size(); ++i)
        mnuFontSizesItem[i]->setChecked(fontSizes[i] == points);
}

void frmEditor::mnuFont_Click()
{
    const std::optional<QFont> chosen = editorDialogs().font(this, txtEdit->font());
    if (!chosen)
        return;
    txtEdit->setFont(*chosen);
    markFontSize(chosen->pointSizeF());
}
