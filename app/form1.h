// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "module1.h"

#include <QWidget>

#include <filesystem>
#include <functional>
#include <vector>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMessageBox;
class QPushButton;
class DirListBox;
class FileListBox;
class PictureBox;

// The main window: drive, folder and file lists, the current-folder display,
// the logo, help and exit. A click on a file converts it, and the window is
// then replaced by a fresh one on the same folder.
class Form1 : public QWidget {
    Q_OBJECT
public:
    explicit Form1(QWidget* parent = nullptr);
    ~Form1() override;

    // The window the user currently sees, or null.
    static Form1* current();
    // Replaces the current window by a fresh one at the same place.
    static void reopen();

    // Starts a program detached; returns false when it could not be started.
    using Launcher = std::function<bool(const QString& program, const QStringList& arguments)>;
    // Opens a document with the program the system associates with its kind.
    using Opener = std::function<bool(const QString& document)>;
    // Shows an error to the user.
    using Reporter = std::function<void(QWidget* window, int number, const QString& description)>;
    // An empty function puts the real one back.
    static void setHelpLauncher(Launcher launcher);
    static void setHelpOpener(Opener opener);
    static void setErrorReporter(Reporter reporter);
    // The box the real reporter shows: the whole description, long paths wrapped across lines
    // rather than cut, no wider than the screen, and announced with its text by a screen reader.
    static QMessageBox* errorBox(QWidget* window, int number, const QString& description);

    // The word processors the help button tries, in order, each started with the document as
    // its one argument; a program given by a full path is tried only where it exists. Then the
    // document is opened by its association, where the platform has one (helpAssociationName()
    // is empty where it has not). These differ by platform: form1_posix.cpp, form1_win.cpp.
    static QStringList helpPrograms();
    // Whether a program given by a full path lies where only the system's administrators put
    // programs; one that does not is never started.
    static bool isSystemProgram(const QString& program);
    static QString helpAssociationName();
    static bool openWithAssociatedProgram(const QString& document);
    // The first of helpPrograms(): the word processor's path as the window was designed with it.
    static QString helpProgram();
    static QString helpArgument();

    QGroupBox* Frame1;
    QLineEdit* Text1;
    QComboBox* Drive1;
    QPushButton* Command2;
    PictureBox* Picture1;
    QLabel* Label1;
    QGroupBox* Frame3;
    DirListBox* Dir1;
    QGroupBox* Frame4;
    FileListBox* File1;
    QGroupBox* Frame5;
    FileListBox* File2;
    QPushButton* Command1;

private:
    void Form_Load();
    void Command1_Click();
    void Command2_Click();
    void Drive1_Change();
    void Dir1_Change(const std::filesystem::path& path);
    void File1_Click(int row);
    void File2_Click(int row);

    struct Listing;
    Listing read(const std::filesystem::path& folder, const std::filesystem::path& drive) const;
    void showFolder(const std::filesystem::path& folder, Listing listing);
    // The folder an entry of `list` lies in, as a click or the preview opens it.
    static std::filesystem::path entryFolder(const FileListBox* list);
    void convert(FileListBox* list, int row, Module1::Conversion kind);
    // Opens the preview of the entry in `row`, read as `kind`; converts nothing.
    void preview(FileListBox* list, int row, Module1::Conversion kind);
    void report(int number, const QString& description);
    int driveIndex(const std::filesystem::path& root) const;
    void showDrive(const std::filesystem::path& root);

    std::vector<std::filesystem::path> m_driveRoots; // one for each entry of Drive1
    std::filesystem::path m_shownDrive;
};
