#include "listboxes.h"

#include "drives.h"
#include "folderlisting.h"
#include "nativepath.h"

#include <QDir>
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

void DirListBox::setPath(const QString& path)
{
    const QString cleaned = QDir::cleanPath(path);
    if (cleaned == m_path)
        return;
    m_path = cleaned;
    fill();
    emit pathChanged();
}

void DirListBox::restorePath(const QString& path)
{
    m_path = QDir::cleanPath(path);
    fill();
}

void DirListBox::fill()
{
    clear();
    const QString root = Drives::driveOf(m_path);
    const QIcon openIcon = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closedIcon = style()->standardIcon(QStyle::SP_DirClosedIcon);

    auto* item = new QTreeWidgetItem(this, { QDir::toNativeSeparators(root) });
    item->setData(0, PathRole, root);
    item->setIcon(0, openIcon);

    QString walked = root;
    const QString rest = m_path.mid(root.size());
    for (const QString& part : rest.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (!walked.endsWith(QLatin1Char('/')))
            walked += QLatin1Char('/');
        walked += part;
        item = new QTreeWidgetItem(item, { part });
        item->setData(0, PathRole, walked);
        item->setIcon(0, openIcon);
    }
    QTreeWidgetItem* current = item;

    const QDir dir(m_path);
    for (const std::filesystem::path& folder :
        FolderListing::list(NativePath::fromText(m_path), FolderListing::Kind::Folders)) {
        const QString name = NativePath::toText(folder);
        auto* child = new QTreeWidgetItem(current, { name });
        child->setData(0, PathRole, dir.filePath(name));
        child->setIcon(0, closedIcon);
    }
    expandAll();
    setCurrentItem(current);
    scrollToItem(current);
}

void DirListBox::open(QTreeWidgetItem* item)
{
    if (item)
        setPath(item->data(0, PathRole).toString());
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
            emit entryClicked(m_names.at(std::size_t(row(selected.first()))));
    });
}

void FileListBox::setFolder(const std::filesystem::path& folder)
{
    m_folder = folder;
    m_names = FolderListing::list(folder, FolderListing::Kind::Files, m_pattern);
    QStringList shown;
    shown.reserve(qsizetype(m_names.size()));
    for (const std::filesystem::path& name : m_names)
        shown.append(NativePath::toText(name));
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
