// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "folderlisting.h"
#include "module1.h"

#include <QWidget>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMessageBox;
class QPushButton;
class QTimer;
class DirListBox;
class FileListBox;
class PictureBox;

// The main window: drive, folder and file lists, the current-folder display,
// the logo, help and exit. A click on a file converts it, and the same window then
// reads its folder again and lists the new file.
//
// The window's thread never touches the file system: the drive list, folder reads, changes of
// the current folder, conversions and preview loads run on threads of their own
// (preview/background.h) and come back as queued calls. Each folder request carries a generation;
// an answer for a request that a newer one has replaced is dropped, so the newest request wins.
class Form1 : public QWidget {
    Q_OBJECT
public:
    explicit Form1(QWidget* parent = nullptr);
    ~Form1() override;

    // The window the user currently sees, or null.
    static Form1* current();
    // Whether a folder read, a conversion, a preview load or the start of the help's viewer is
    // still under way.
    bool isBusy() const;
    // The short text that tells what the window is doing or has just done.
    QString statusText() const { return m_status; }

    // Starts a program detached; returns false when it could not be started. The help's
    // launcher and opener run on a worker thread.
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

    // One folder as the lists show it, and what the window starts from; read on a worker.
    struct Listing;
    struct Start;

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
    void createControls();
    void setTabOrderAndNames();
    void connectEvents();
    void startReading();

    void Form_Load(const std::filesystem::path& here);
    void Command1_Click();
    void Command2_Click();
    void Drive1_Change();
    void Dir1_Change(const std::filesystem::path& path);
    void File1_Click(const FolderListing::Entry& entry, const std::filesystem::path& folder);
    void File2_Click(const FolderListing::Entry& entry, const std::filesystem::path& folder);

    // Asks for `folder` (or, with `drive` set, for that drive's current folder) to be read,
    // made the current folder and shown. Replaces any request still under way.
    void requestFolder(const std::filesystem::path& folder, const std::filesystem::path& drive);
    void started(Start start);
    void folderRead(Listing listing);
    void watchRead();
    void showFolder(const std::filesystem::path& folder, Listing listing);
    void convert(FileListBox* list, const FolderListing::Entry& entry,
        const std::filesystem::path& folder, Module1::Conversion kind);
    // `folder` is the one to read again, or empty when the user has moved on.
    void converted(FileListBox* list, const std::filesystem::path& input,
        const Module1::Result& result, const std::filesystem::path& folder);
    // Opens the preview of `entry`, read as `kind`; converts nothing.
    void preview(const FolderListing::Entry& entry, const std::filesystem::path& folder,
        Module1::Conversion kind);
    void setStatus(const QString& text);
    void showBusy();
    void report(int number, const QString& description);
    int driveIndex(const std::filesystem::path& root) const;
    void showDrive(const std::filesystem::path& root);

    std::vector<std::filesystem::path> m_driveRoots; // one for each entry of Drive1
    std::filesystem::path m_shownDrive;
    std::filesystem::path m_shownFolder;
    QString m_status;
    QString m_written; // what the last conversion wrote, told until the user moves on
    bool m_started = false; // the drive list and the start folder have come

    // The newest folder request, and what its reader has told so far.
    std::uint64_t m_generation = 0;
    bool m_reading = false;
    std::filesystem::path m_readFolder;
    std::filesystem::path m_readDrive;
    std::shared_ptr<std::atomic<int>> m_readProgress;
    int m_lastProgress = -1;
    std::chrono::steady_clock::time_point m_lastAnswer;
    bool m_unansweredReported = false;
    QTimer* m_watch = nullptr;
    // Inputs being converted, and previews being loaded.
    std::vector<std::filesystem::path> m_converting;
    int m_loadingPreviews = 0;
    // Presses of "Hjælp" whose viewer is still being started, and the newest of them.
    int m_startingHelp = 0;
    std::uint64_t m_helpRequest = 0;
};
