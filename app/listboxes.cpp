// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "listboxes.h"

#include "drives.h"
#include "folderlisting.h"
#include "nativepath.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QStyle>

namespace {
constexpr int PathRole = Qt::UserRole;
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

void DirListBox::showPath(
    const std::filesystem::path& path, std::vector<FolderListing::Entry> folders)
{
    m_path = Drives::clean(path);
    fill(std::move(folders));
}

void DirListBox::fill(std::vector<FolderListing::Entry> folders)
{
    clear();
    m_itemPaths.clear();
    const std::filesystem::path root = Drives::driveOf(m_path);
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
    // Selection rather than the current item: tabbing into the list moves the
    // current item without selecting, and must not convert anything.
    connect(this, &QListWidget::itemSelectionChanged, this, [this] {
        const QList<QListWidgetItem*> selected = selectedItems();
        if (selected.size() == 1)
            emit entryClicked(row(selected.first()));
    });
}

void FileListBox::setFolder(
    const std::filesystem::path& folder, std::vector<FolderListing::Entry> files)
{
    m_folder = folder;
    QStringList shown;
    m_names.clear();
    for (FolderListing::Entry& entry : files) {
        shown.append(entry.shown);
        m_names.push_back(std::move(entry.name));
    }
    const QSignalBlocker blocker(this);
    clear();
    addItems(shown);
}

void FileListBox::focusInEvent(QFocusEvent* event)
{
    // Unlike a plain list, do not put the current item on the first entry when
    // the focus arrives: the first arrow key then selects, and so converts, the
    // first entry rather than the second.
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

QStringList FileListBox::names() const
{
    QStringList result;
    result.reserve(count());
    for (int i = 0; i < count(); ++i)
        result.append(item(i)->text());
    return result;
}

PictureBox::PictureBox(const QPixmap& picture, QWidget* parent)
    : QWidget(parent)
    , m_picture(picture)
{
    setFocusPolicy(Qt::StrongFocus);
}

void PictureBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_picture);
}
