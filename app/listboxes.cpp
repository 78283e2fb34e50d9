// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "listboxes.h"

#include "drives.h"
#include "folderlisting.h"
#include "nativepath.h"

#include <algorithm>
#include <cmath>

#include <QAccessibleWidget>
#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QScopedValueRollback>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace {
constexpr int PathRole = Qt::UserRole;

// The style's focus mark around `rect`, on `background` (the widget's own where not given).
// Styles that show it only after a key moved the focus (Fusion) are told so: a control that
// takes the focus always shows it.
void drawFocusMark(
    QWidget* widget, QPainter* painter, const QRect& rect, const QColor& background = {})
{
    QStyleOptionFocusRect option;
    option.initFrom(widget);
    option.rect = rect;
    option.state |= QStyle::State_HasFocus | QStyle::State_KeyboardFocusChange;
    option.backgroundColor
        = background.isValid() ? background : widget->palette().color(widget->backgroundRole());
    widget->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, painter, widget);
}

// The contrast of two colours as WCAG defines it: 1 for the same, 21 for black on white.
double contrast(const QColor& a, const QColor& b)
{
    auto luminance = [](const QColor& colour) {
        auto linear = [](float channel) {
            return channel <= 0.04045f ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
        };
        const QColor rgb = colour.toRgb();
        return 0.2126 * linear(rgb.redF()) + 0.7152 * linear(rgb.greenF())
            + 0.0722 * linear(rgb.blueF());
    };
    const double first = luminance(a), second = luminance(b);
    return (std::max(first, second) + 0.05) / (std::min(first, second) + 0.05);
}
}

FocusMarkStyle::FocusMarkStyle()
    : QProxyStyle(QApplication::style()->name())
{
}

void FocusMarkStyle::drawControl(ControlElement element, const QStyleOption* option,
    QPainter* painter, const QWidget* widget) const
{
    QProxyStyle::drawControl(element, option, painter, widget);
    // Fusion tells a focused button only by a tinted outline; every style's gets the mark.
    if (element == CE_PushButton && option->state & State_HasFocus) {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(*option);
        focus.rect = subElementRect(SE_PushButtonFocusRect, option, widget);
        focus.backgroundColor = option->palette.color(QPalette::Button);
        drawPrimitive(PE_FrameFocusRect, &focus, painter, widget);
    }
}

QColor FocusMarkStyle::markColour(const QPalette& palette, const QColor& background)
{
    const QColor highlight = palette.color(QPalette::Active, QPalette::Highlight);
    if (contrast(highlight, background) >= 3)
        return highlight;
    return contrast(Qt::black, background) >= contrast(Qt::white, background) ? QColor(Qt::black)
                                                                              : QColor(Qt::white);
}

void FocusMarkStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
    QPainter* painter, const QWidget* widget) const
{
    if (element != PE_FrameFocusRect) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    // A list item's mark is told the item's background; a button's is on the button's colour.
    QColor background = QColor();
    if (const auto* focus = qstyleoption_cast<const QStyleOptionFocusRect*>(option))
        background = focus->backgroundColor;
    if (!background.isValid())
        background = option->palette.color(widget ? widget->backgroundRole() : QPalette::Button);
    const QRect rect = option->rect;
    if (rect.width() < 4 || rect.height() < 4)
        return;
    const QColor colour = markColour(option->palette, background);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->setPen(Qt::NoPen);
    painter->setBrush(colour);
    // Four bars rather than a stroked rectangle: exactly two pixels inside `rect`, however the
    // painter is scaled.
    painter->drawRect(rect.left(), rect.top(), rect.width(), 2);
    painter->drawRect(rect.left(), rect.bottom() - 1, rect.width(), 2);
    painter->drawRect(rect.left(), rect.top() + 2, 2, rect.height() - 4);
    painter->drawRect(rect.right() - 1, rect.top() + 2, 2, rect.height() - 4);
    painter->restore();
}

DirListBox::DirListBox(QWidget* parent)
    : QTreeWidget(parent)
{
    setHeaderHidden(true);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setExpandsOnDoubleClick(false);
    setIndentation(12);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(
        this, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) { open(item); });
}

void DirListBox::setPath(const std::filesystem::path& path)
{
    const std::filesystem::path cleaned = Drives::clean(path);
    if (cleaned != m_path)
        emit pathChanged(cleaned);
}

void DirListBox::showPath(const std::filesystem::path& path, const std::filesystem::path& root,
    std::vector<FolderListing::Entry> folders)
{
    m_path = Drives::clean(path);
    fill(root, std::move(folders));
}

// The root comes with the folder, found where it was read: finding it here would ask the
// machine's drives (their labels, the mount table) on the window's thread.
void DirListBox::fill(const std::filesystem::path& root, std::vector<FolderListing::Entry> folders)
{
    clear();
    m_itemPaths.clear();
    const QIcon openIcon = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closedIcon = style()->standardIcon(QStyle::SP_DirClosedIcon);
    auto addItem = [this](QTreeWidgetItem* item, const std::filesystem::path& path) {
        item->setData(0, PathRole, int(m_itemPaths.size()));
        m_itemPaths.push_back(path);
    };

    auto* item = new QTreeWidgetItem(this, { NativePath::shown(root) });
    addItem(item, root);
    item->setIcon(0, openIcon);

    // The folders from the root down, by their own names.
    auto part = m_path.begin();
    for (const std::filesystem::path& rootPart : root)
        if (!rootPart.empty() && part != m_path.end())
            ++part;
    std::filesystem::path walked = root;
    for (; part != m_path.end(); ++part) {
        if (part->empty())
            continue;
        walked /= *part;
        item = new QTreeWidgetItem(item, { NativePath::toText(*part) });
        addItem(item, walked);
        item->setIcon(0, openIcon);
    }
    QTreeWidgetItem* current = item;

    for (const FolderListing::Entry& folder : folders) {
        auto* child = new QTreeWidgetItem(current, { folder.shown });
        addItem(child, m_path / folder.name);
        child->setIcon(0, closedIcon);
    }
    expandAll();
    setCurrentItem(current);
    scrollToItem(current);
}

void DirListBox::open(QTreeWidgetItem* item)
{
    if (item)
        setPath(m_itemPaths.at(std::size_t(item->data(0, PathRole).toInt())));
}

void DirListBox::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        open(currentItem());
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

FileListBox::FileListBox(const QString& pattern, QWidget* parent)
    : QListWidget(parent)
    , m_pattern(pattern)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    // A click (press and release on the same entry) chooses at once; a moved
    // selection does not, so arrow keys and typed names never convert a file the
    // user only passed over.
    connect(this, &QListWidget::clicked, this, [this](const QModelIndex& index) {
        if (index.isValid())
            chooseRow(index.row());
    });
}

void FileListBox::setFolder(
    const std::filesystem::path& folder, std::vector<FolderListing::Entry> files)
{
    m_folder = folder;
    QStringList shown;
    for (const FolderListing::Entry& entry : files)
        shown.append(entry.shown);
    m_entries = std::move(files);
    const QSignalBlocker blocker(this);
    clear();
    addItems(shown);
    // A file still being converted stays marked in the list read afresh.
    const std::vector<std::filesystem::path> pending = std::move(m_pending);
    m_pending.clear();
    for (const std::filesystem::path& name : pending)
        markPending(name, true);
}

void FileListBox::chooseRow(int row)
{
    if (row >= 0 && std::size_t(row) < m_entries.size())
        emit entryClicked(m_entries[std::size_t(row)], m_folder);
}

void FileListBox::markPending(const std::filesystem::path& name, bool pending)
{
    const auto found = std::find(m_pending.begin(), m_pending.end(), name);
    if (pending && found == m_pending.end())
        m_pending.push_back(name);
    if (!pending && found != m_pending.end())
        m_pending.erase(found);
    for (std::size_t row = 0; row < m_entries.size(); ++row) {
        if (m_entries[row].name != name)
            continue;
        QListWidgetItem* entry = item(int(row));
        QFont font = entry->font();
        font.setItalic(pending);
        entry->setFont(font);
        entry->setToolTip(pending ? QStringLiteral("Konverteres …") : QString());
    }
    if (m_pending.empty())
        viewport()->unsetCursor();
    else
        viewport()->setCursor(Qt::BusyCursor);
}

namespace {
bool isUserInput(const QEvent* event)
{
    return event->isInputEvent() || event->type() == QEvent::InputMethod;
}
}

bool FileListBox::event(QEvent* event)
{
    const QScopedValueRollback inInput(m_inUserInput, m_inUserInput || isUserInput(event));
    return QListWidget::event(event);
}

bool FileListBox::viewportEvent(QEvent* event)
{
    const QScopedValueRollback inInput(m_inUserInput, m_inUserInput || isUserInput(event));
    return QListWidget::viewportEvent(event);
}

void FileListBox::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected)
{
    QListWidget::selectionChanged(selected, deselected);
    // Qt gives a screen reader no "press" on a list item, only "Toggle", which selects it,
    // and the list's selection; either is the reader's user choosing the entry. The mouse and
    // the keyboard only highlight by selecting, so their selections are left out.
    // The choice runs once the reader's request has been answered: an error box would otherwise
    // hold the answer back until it is closed.
    if (!m_inUserInput && selected.indexes().size() == 1) {
        const int row = selected.indexes().first().row();
        if (std::size_t(row) < m_entries.size())
            QMetaObject::invokeMethod(
                this,
                [this, entry = m_entries[std::size_t(row)], folder = m_folder] {
                    emit entryClicked(entry, folder);
                },
                Qt::QueuedConnection);
    }
}

void FileListBox::focusInEvent(QFocusEvent* event)
{
    // Unlike a plain list, do not put the current item on the first entry when
    // the focus arrives: the first arrow key then highlights the first entry
    // rather than the second, and Enter on arrival chooses nothing.
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void FileListBox::contextMenuEvent(QContextMenuEvent* event)
{
    if (event->reason() == QContextMenuEvent::Mouse) {
        // The entry under the pointer, which the right button's press has highlighted.
        if (QListWidgetItem* entry = itemAt(event->pos()))
            showMenu(row(entry), event->globalPos());
        return;
    }
    if (QListWidgetItem* entry = currentItem())
        showMenu(row(entry), viewport()->mapToGlobal(visualItemRect(entry).bottomLeft()));
}

void FileListBox::showMenu(int row, const QPoint& globalPos)
{
    // The menu key may reach the list both as a key and as the system's own menu request.
    if (m_menu || row < 0 || std::size_t(row) >= m_entries.size())
        return;
    m_menu = new QMenu(this);
    m_menu->setAttribute(Qt::WA_DeleteOnClose);
    m_menu->setAccessibleName(QStringLiteral("Filmenu"));
    QAction* show = m_menu->addAction(QStringLiteral("&Vis kurve…"));
    connect(show, &QAction::triggered, this,
        [this, entry = m_entries[std::size_t(row)], folder = m_folder] {
            emit previewRequested(entry, folder);
        });
    m_menu->setActiveAction(show);
    m_menu->popup(globalPos);
}

void FileListBox::keyPressEvent(QKeyEvent* event)
{
    // The menu key and Shift+F10 open the highlighted entry's menu, as the mouse's right button
    // does; they move nothing and convert nothing.
    if ((event->key() == Qt::Key_Menu && !(event->modifiers() & ~Qt::KeypadModifier))
        || (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier)) {
        if (QListWidgetItem* entry = currentItem())
            showMenu(row(entry), viewport()->mapToGlobal(visualItemRect(entry).bottomLeft()));
        return;
    }
    const bool choose = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter
        || event->key() == Qt::Key_Space || event->key() == Qt::Key_Select;
    if (!choose || event->modifiers() & ~Qt::KeypadModifier) {
        // With no entry highlighted yet every key would land on the first entry; End and Page
        // Down go towards the last from there.
        if (!currentItem() && count() > 0
            && (event->key() == Qt::Key_End || event->key() == Qt::Key_PageDown))
            setCurrentRow(0, QItemSelectionModel::NoUpdate);
        QListWidget::keyPressEvent(event);
        return;
    }
    // The entry the keyboard stands on, even when Ctrl+arrow moved there without selecting it.
    if (QListWidgetItem* entry = currentItem()) {
        setCurrentItem(entry, QItemSelectionModel::ClearAndSelect);
        chooseRow(row(entry));
    }
}

void FileListBox::paintEvent(QPaintEvent* event)
{
    QListWidget::paintEvent(event);
    // The list shows that it has the focus also before any entry is highlighted, and when empty.
    if (hasFocus()) {
        QPainter painter(viewport());
        drawFocusMark(this, &painter, viewport()->rect());
    }
}

QStringList FileListBox::names() const
{
    QStringList result;
    result.reserve(count());
    for (int i = 0; i < count(); ++i)
        result.append(item(i)->text());
    return result;
}

namespace {
// Qt names a combo box after its value on Linux, so a screen reader said "/" for the drive list.
// This one is named by its caption on every platform; its value is the drive shown, and the
// drop-down's list is its child as before.
class DriveAccessible : public QAccessibleWidget {
public:
    explicit DriveAccessible(QComboBox* box)
        : QAccessibleWidget(box, QAccessible::ComboBox)
    {
    }
    QString text(QAccessible::Text t) const override
    {
        auto* box = static_cast<QComboBox*>(widget());
        if (t == QAccessible::Name)
            return box->accessibleName();
        if (t == QAccessible::Value)
            return box->currentText();
        return QAccessibleWidget::text(t);
    }
    int childCount() const override { return 1; }
    QAccessibleInterface* child(int index) const override
    {
        return index == 0
            ? QAccessible::queryAccessibleInterface(static_cast<QComboBox*>(widget())->view())
            : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        return child && child->object() == static_cast<QComboBox*>(widget())->view() ? 0 : -1;
    }
};

QAccessibleInterface* driveAccessible(const QString& key, QObject* object)
{
    if (key == QLatin1String("DriveComboBox") && object && object->isWidgetType())
        return new DriveAccessible(static_cast<QComboBox*>(object));
    return nullptr;
}
}

DriveComboBox::DriveComboBox(QWidget* parent)
    : QComboBox(parent)
{
    static const bool factoryInstalled = (QAccessible::installFactory(driveAccessible), true);
    Q_UNUSED(factoryInstalled);
}

void DriveComboBox::paintEvent(QPaintEvent* event)
{
    QComboBox::paintEvent(event);
    if (hasFocus()) {
        QPainter painter(this);
        drawFocusMark(this, &painter, rect().adjusted(1, 1, -1, -1));
    }
}

namespace {
// A plain widget is a "panel" to a screen reader; the logo is a picture.
QAccessibleInterface* pictureAccessible(const QString& key, QObject* object)
{
    if (key == QLatin1String("PictureBox") && object && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Graphic);
    return nullptr;
}
}

PictureBox::PictureBox(const QPixmap& picture, QWidget* parent)
    : QWidget(parent)
    , m_picture(picture)
{
    static const bool factoryInstalled = (QAccessible::installFactory(pictureAccessible), true);
    Q_UNUSED(factoryInstalled);
    setFocusPolicy(Qt::StrongFocus);
    // The mark is drawn on the picture's edge: its colour is chosen against the edge's mean.
    const QImage image = m_picture.toImage();
    double red = 0, green = 0, blue = 0;
    int pixels = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            if (y > 1 && y < image.height() - 2 && x > 1 && x < image.width() - 2)
                continue;
            const QColor colour = image.pixelColor(x, y);
            red += colour.redF();
            green += colour.greenF();
            blue += colour.blueF();
            ++pixels;
        }
    if (pixels > 0)
        m_edge = QColor::fromRgbF(float(red / pixels), float(green / pixels), float(blue / pixels));
}

void PictureBox::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    update();
}

void PictureBox::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    update();
}

void PictureBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_picture);
    if (hasFocus())
        drawFocusMark(this, &painter, rect().intersected(m_picture.rect()), m_edge);
}
