// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "folderlisting.h"

#include <QComboBox>
#include <QListWidget>
#include <QMenu>
#include <QPixmap>
#include <QPointer>
#include <QProxyStyle>
#include <QTreeWidget>
#include <QWidget>

#include <filesystem>
#include <vector>

// The focus mark of the window's controls: a solid frame two pixels wide that stands out from
// what it is drawn on by at least 3:1 (WCAG 1.4.11), where the style's own may be a faint tint
// (Fusion's is 1.14:1 on the lists' pale yellow). It is in the highlight colour where that is
// strong enough against the background, else in black or white, whichever is stronger.
// Everything else is drawn by the application's style, whichever that is.
class FocusMarkStyle : public QProxyStyle {
    Q_OBJECT
public:
    FocusMarkStyle();
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
        const QWidget* widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
        const QWidget* widget = nullptr) const override;
    // The colour a mark on `background` takes in `palette`.
    static QColor markColour(const QPalette& palette, const QColor& background);
};

// The folder list: the drive's root, the folders down to the current one
// (highlighted), and the current folder's subfolders, each level indented.
// A click only moves the highlight; a double click or Enter opens the folder.
// The list reads no folder itself: the window reads it and hands over the subfolders.
class DirListBox : public QTreeWidget {
    Q_OBJECT
public:
    explicit DirListBox(QWidget* parent = nullptr);

    std::filesystem::path path() const { return m_path; }
    // Asks for `path`: raises pathChanged() when it differs from the shown one. The list
    // changes only once the folder is shown.
    void setPath(const std::filesystem::path& path);
    // Shows `path`, on the drive whose root is `root`, with these subfolders, without raising
    // pathChanged().
    void showPath(const std::filesystem::path& path, const std::filesystem::path& root,
        std::vector<FolderListing::Entry> folders);

signals:
    void pathChanged(const std::filesystem::path& path);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    // Every level stays open, so there is nothing to expand or collapse.
    void drawBranches(QPainter*, const QRect&, const QModelIndex&) const override { }

private:
    void fill(const std::filesystem::path& root, std::vector<FolderListing::Entry> folders);
    void open(QTreeWidgetItem* item);

    std::filesystem::path m_path;
    std::vector<std::filesystem::path> m_itemPaths; // by the index each item holds
};

// A file list showing the names in one folder that match one pattern, without
// regard to letter case, sorted by name, hidden and system files left out.
// The window reads the folder when it is set, and at no other time. A mouse click on an
// entry chooses it at once; the keyboard only moves the highlight, and Enter or
// Space chooses the highlighted entry. An assistive technology chooses by
// selecting an entry (a list item's one action, "Toggle", or the list's selection).
class FileListBox : public QListWidget {
    Q_OBJECT
public:
    FileListBox(const QString& pattern, QWidget* parent = nullptr);

    QString pattern() const { return m_pattern; }
    std::filesystem::path folder() const { return m_folder; }
    // Shows the files of `folder` that match the pattern, as the window read them.
    void setFolder(const std::filesystem::path& folder, std::vector<FolderListing::Entry> files);
    // The names as shown, and as the file system holds them.
    QStringList names() const;
    std::filesystem::path nativeName(int row) const { return m_entries.at(std::size_t(row)).name; }
    // Marks the entry named `name` as being worked on (or no longer), with the pointer busy
    // over the list while any is.
    void markPending(const std::filesystem::path& name, bool pending);

signals:
    // An entry was chosen: clicked, or highlighted and Enter or Space pressed. It carries the
    // entry as the list showed it when the user acted, and the folder the list showed: a list
    // replaced since cannot turn the choice into another file.
    void entryClicked(const FolderListing::Entry& entry, const std::filesystem::path& folder);
    // "Vis kurve…" was chosen in the entry's context menu.
    void previewRequested(const FolderListing::Entry& entry, const std::filesystem::path& folder);

protected:
    bool event(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void selectionChanged(
        const QItemSelection& selected, const QItemSelection& deselected) override;

private:
    // The context menu of the entry in `row`, at `globalPos`.
    void showMenu(int row, const QPoint& globalPos);
    void chooseRow(int row);

    bool m_inUserInput = false; // the mouse or the keyboard is moving the selection
    QPointer<QMenu> m_menu;
    QString m_pattern;
    std::filesystem::path m_folder;
    std::vector<FolderListing::Entry> m_entries;
    std::vector<std::filesystem::path> m_pending;
};

// The drive list: a drop-down that shows its focus mark whenever it has the focus, also when
// the window gave it the focus (at start, after a conversion) rather than a key, and that a
// screen reader names by its accessible name on every platform.
class DriveComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit DriveComboBox(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

// The logo box: draws its picture at the top left corner and takes the focus
// like any other control, but does nothing with it beyond showing that it has it.
class PictureBox : public QWidget {
    Q_OBJECT
public:
    explicit PictureBox(const QPixmap& picture, QWidget* parent = nullptr);
    QPixmap picture() const { return m_picture; }

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap m_picture;
    QColor m_edge; // the picture's colour along its edge, where the focus mark goes
};
