// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "coretest.h"
#include "drives.h"
#include "form1.h"
#include "form1platform.h"
#include "fusemount.h"
#include "gsisamples.h"
#include "listboxes.h"
#include "mainwindowtest.h"
#include "module1.h"
#include "platformtest.h"
#include "previewwindow.h"

#include <QAccessible>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QOperatingSystemVersion>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <thread>

using namespace Gsi;
using namespace MainWindowTest;

Q_DECLARE_METATYPE(FuseMount::Kind)

namespace {

struct Reported {
    int number;
    QString description;
};

QString nativeSep(const QString& path) { return QDir::toNativeSeparators(path); }

// How many pixels a sample text blackens in the font.
int ink(const QFont& font)
{
    QImage image(400, 80, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(10, 50, "Hjælp Exit Mappe GSI Alignment filer");
    painter.end();
    int dark = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            dark += qGray(image.pixel(x, y)) < 128;
    return dark;
}

// The contrast of two colours as WCAG defines it, from 1 (the same) to 21 (black on white).
double contrast(QRgb a, QRgb b)
{
    auto luminance = [](QRgb rgb) {
        auto linear = [](int channel) {
            const double c = channel / 255.0;
            return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(qRed(rgb)) + 0.7152 * linear(qGreen(rgb))
            + 0.0722 * linear(qBlue(rgb));
    };
    const double first = luminance(a), second = luminance(b);
    return (std::max(first, second) + 0.05) / (std::min(first, second) + 0.05);
}

// A double click as the mouse gives it: QTest's double click alone lacks the first press.
void doubleClick(QAbstractItemView* view, const QRect& rect)
{
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, rect.center());
}

}

class Form1Test : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void controlsStandWhereTheLayoutPutsThem_data();
    void controlsStandWhereTheLayoutPutsThem();
    void windowIsFixedWithFocusOnTheDriveList();
    void tabVisitsTheControlsInOrder();
    void folderDisplayIsDisabledButBlackOnTooltipColour();
    void noButtonIsDefault();
    void listsShowTheMatchingFilesOfTheCurrentFolder();
    void listsAreReadOnlyWhenTheFolderIsSet();
    void clickConvertsAndReopensOnTheSameFolder_data();
    void clickConvertsAndReopensOnTheSameFolder();
    void keysMoveTheHighlightAndEnterOrSpaceConverts_data();
    void keysMoveTheHighlightAndEnterOrSpaceConverts();
    void contextMenuOpensThePreviewWithoutConverting_data();
    void contextMenuOpensThePreviewWithoutConverting();
    void listsSortAsTheUserReads_data();
    void listsSortAsTheUserReads();
    void everyControlHasADanishAccessibleName_data();
    void everyControlHasADanishAccessibleName();
    void focusedControlShowsAFocusMark_data();
    void focusedControlShowsAFocusMark();
    void errorBoxShowsTheWholeLongPath_data();
    void errorBoxShowsTheWholeLongPath();
    void tabbingIntoAListConvertsNothing();
    void failedConversionReportsAndLeavesTheWindow_data();
    void failedConversionReportsAndLeavesTheWindow();
    void helpStartsTheViewerWithTheDocumentAsOneArgument();
    void helpThatCannotStartIsReported();
    void helpFallsBackToTheDocumentsAssociation();
    void helpOpensTheDocumentForReal_data();
    void helpOpensTheDocumentForReal();
    void folderListClickOnlyMovesTheHighlight();
    void folderListOpensOnDoubleClickAndEnter();
    void eachDriveKeepsItsOwnCurrentFolder();
    void failedFolderChangeKeepsThePreviousFolder();
    void failedDriveChangeKeepsThePreviousDrive();
    void everyMediumThatHoldsFilesIsADrive_data();
    void everyMediumThatHoldsFilesIsADrive();
    void waitingOnAMediumLeavesTheWindowUsable_data();
    void waitingOnAMediumLeavesTheWindowUsable();
    void driveLetterWhoseFolderVanishedSaysSo();

private:
    QTreeWidgetItem* dirItem(const QString& text);

    QTemporaryDir m_root;
    QString m_startFolder;
    QString m_work;
    QList<Reported> m_reported;
    QList<QStringList> m_launched;
    QStringList m_opened;
};

void Form1Test::init()
{
    QVERIFY(m_root.isValid());
    m_startFolder = QDir::currentPath();
    m_work = m_root.filePath(QStringLiteral("work%1").arg(QRandomGenerator::global()->generate()));
    QVERIFY(QDir().mkpath(m_work));
    QVERIFY(QDir::setCurrent(m_work));
    Drives::setDrivesForTesting({});
    m_reported.clear();
    m_launched.clear();
    Form1::setErrorReporter([this](QWidget*, int number, const QString& description) {
        m_reported.append({ number, description });
    });
    Form1::setHelpLauncher([this](const QString& program, const QStringList& arguments) {
        m_launched.append(QStringList { program } + arguments);
        return true;
    });
    m_opened.clear();
    Form1::setHelpOpener([this](const QString& document) {
        m_opened.append(document);
        return true;
    });
}

void Form1Test::cleanup()
{
    MainWindowTest::closeWindows();
    QDir::setCurrent(m_startFolder);
    Drives::setDrivesForTesting({});
}

QTreeWidgetItem* Form1Test::dirItem(const QString& text)
{
    Form1* window = Form1::current();
    const QList<QTreeWidgetItem*> found
        = window->Dir1->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
    return found.size() == 1 ? found.first() : nullptr;
}

void Form1Test::controlsStandWhereTheLayoutPutsThem_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QRect>("twips");
    QTest::addColumn<qreal>("points");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<QString>("caption");

    QTest::newRow("Frame1") << "Frame1" << QRect(240, 6000, 11775, 735) << 8.25 << false << "Mappe";
    QTest::newRow("Text1") << "Text1" << QRect(120, 240, 11415, 375) << 9.75 << true << "";
    QTest::newRow("Drive1") << "Drive1" << QRect(240, 240, 3375, 360) << 9.75 << false << "";
    QTest::newRow("Command2") << "Command2" << QRect(10200, 240, 1455, 375) << 12.0 << true
                              << "Exit";
    QTest::newRow("Picture1") << "Picture1" << QRect(10200, 840, 1455, 1455) << 9.75 << true << "";
    QTest::newRow("Label1") << "Label1" << QRect(10200, 2400, 1455, 495) << 9.75 << true << "";
    QTest::newRow("Frame3") << "Frame3" << QRect(240, 600, 3375, 5295) << 9.75 << false << "Mappe";
    QTest::newRow("Dir1") << "Dir1" << QRect(120, 360, 3135, 4680) << 9.75 << false << "";
    QTest::newRow("Frame4") << "Frame4" << QRect(3720, 120, 3135, 5775) << 9.75 << false
                            << "GSI Alignment filer";
    QTest::newRow("File1") << "File1" << QRect(120, 360, 2895, 5130) << 9.75 << false << "";
    QTest::newRow("Frame5") << "Frame5" << QRect(6960, 120, 3135, 5775) << 9.75 << false
                            << "GSI Profil filer";
    QTest::newRow("File2") << "File2" << QRect(120, 360, 2895, 5130) << 9.75 << false << "";
    QTest::newRow("Command1") << "Command1" << QRect(10200, 3000, 1455, 375) << 9.75 << true
                              << "Hjælp";
}

void Form1Test::controlsStandWhereTheLayoutPutsThem()
{
    QFETCH(QString, control);
    QFETCH(QRect, twips);
    QFETCH(qreal, points);
    QFETCH(bool, bold);
    QFETCH(QString, caption);

    Form1* window = openWindow();
    const QMap<QString, QWidget*> controls { { "Frame1", window->Frame1 },
        { "Text1", window->Text1 }, { "Drive1", window->Drive1 }, { "Command2", window->Command2 },
        { "Picture1", window->Picture1 }, { "Label1", window->Label1 },
        { "Frame3", window->Frame3 }, { "Dir1", window->Dir1 }, { "Frame4", window->Frame4 },
        { "File1", window->File1 }, { "Frame5", window->Frame5 }, { "File2", window->File2 },
        { "Command1", window->Command1 } };
    QWidget* widget = controls.value(control);
    QVERIFY(widget);
    QCOMPARE(widget->geometry(),
        QRect(twips.x() / 15, twips.y() / 15, twips.width() / 15, twips.height() / 15));
    QCOMPARE(widget->font().pointSizeF(), points);
    QCOMPARE(widget->font().bold(), bold);
    // What the font draws, not only what it asks for: a font that scales to every size, and
    // bold that comes out bolder than the same font's regular face on this system.
    QVERIFY2(QFontDatabase::isSmoothlyScalable(QFontInfo(widget->font()).family()),
        qPrintable(QFontInfo(widget->font()).family()));
    if (bold) {
        QFont regular = widget->font();
        regular.setBold(false);
        const QFontInfo drawn(widget->font());
        QVERIFY2(ink(widget->font()) > ink(regular) * 1.1,
            qPrintable(QString("%1 %2 pt, weight %3")
                           .arg(drawn.family())
                           .arg(drawn.pointSizeF())
                           .arg(drawn.weight())));
    }
    if (auto* box = qobject_cast<QGroupBox*>(widget))
        QCOMPARE(box->title(), caption);
    if (auto* push = qobject_cast<QPushButton*>(widget))
        QCOMPARE(push->text(), caption);
}

void Form1Test::windowIsFixedWithFocusOnTheDriveList()
{
    Form1* window = openWindow();
    QCOMPARE(window->windowTitle(), QString("Sigtelinje"));
    QCOMPARE(window->size(), QSize(797, 462));
    QCOMPARE(window->minimumSize(), window->maximumSize());
    QCOMPARE(window->focusWidget(), window->Drive1);
    QVERIFY(window->Label1->text().startsWith("Sigtelinje"));
    QVERIFY(window->Label1->text().contains(SIGTELINJE_VERSION));
    QCOMPARE(window->Picture1->picture().size(), QSize(90, 92));
}

void Form1Test::tabVisitsTheControlsInOrder()
{
    Form1* window = openWindow();
    const QList<QWidget*> expected { window->Drive1, window->Command2, window->Picture1,
        window->Dir1, window->File1, window->File2, window->Command1, window->Drive1 };
    QList<QWidget*> visited { window->focusWidget() };
    for (int i = 1; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited.append(QApplication::focusWidget());
    }
    QCOMPARE(visited, expected);
}

void Form1Test::folderDisplayIsDisabledButBlackOnTooltipColour()
{
    Form1* window = openWindow();
    QVERIFY(!window->Text1->isEnabled());
    const QPalette palette = window->Text1->palette();
    QCOMPARE(palette.color(QPalette::Disabled, QPalette::Text), QColor(Qt::black));
    const QColor tooltip = QApplication::palette().color(QPalette::ToolTipBase);
    QCOMPARE(palette.color(QPalette::Disabled, QPalette::Base), tooltip);
    for (QWidget* list :
        { static_cast<QWidget*>(window->Drive1), static_cast<QWidget*>(window->Dir1),
            static_cast<QWidget*>(window->File1), static_cast<QWidget*>(window->File2) })
        QCOMPARE(list->palette().color(QPalette::Active, QPalette::Base), tooltip);
}

void Form1Test::noButtonIsDefault()
{
    Form1* window = openWindow();
    for (QPushButton* push : { window->Command1, window->Command2 }) {
        QVERIFY(!push->isDefault());
        QVERIFY(!push->autoDefault());
    }
    // Enter on the drive list starts nothing.
    QTest::keyClick(window->Drive1, Qt::Key_Return);
    QVERIFY(m_launched.isEmpty());
    QCOMPARE(Form1::current(), window);
}

void Form1Test::listsShowTheMatchingFilesOfTheCurrentFolder()
{
    for (const char* name : { "al2.gsi", "AL10.GSI", "al1.gsi", ".al3.gsi", "pr1.gsi", "Pr2.Gsi",
             "xal1.gsi", "al1.gsi.bak", "al7.gsix", "notes.txt" })
        QVERIFY(writeFile(m_work + "/" + name, "*x\r\n"));
    QVERIFY(QDir(m_work).mkdir("al9.gsi"));
    QVERIFY(QDir(m_work).mkdir("sub"));
    QStringList alignment { "al1.gsi", "AL10.GSI", "al2.gsi" };
    if (!PlatformTest::onWindows()) {
        // A link to a file is listed like the file; a broken link is not.
        QVERIFY(QFile::link(m_work + "/al2.gsi", m_work + "/al3.gsi"));
        QVERIFY(QFile::link(m_work + "/missing", m_work + "/al4.gsi"));
        alignment << "al3.gsi";
        // A folder whose name starts with a dot is hidden, here as in a file manager.
        QVERIFY(QDir(m_work).mkdir(".hidden"));
    } else {
        // Hidden and system files stay out of the lists, as Windows leaves them out of its own.
        QVERIFY(writeFile(m_work + "/al5.gsi", "*x\r\n"));
        QVERIFY(writeFile(m_work + "/pr5.gsi", "*x\r\n"));
        QVERIFY(PlatformTest::markHiddenOrSystem(m_work + "/al5.gsi", false));
        QVERIFY(PlatformTest::markHiddenOrSystem(m_work + "/pr5.gsi", true));
    }

    Form1* window = openWindow();
    QCOMPARE(window->Text1->text(), nativeSep(m_work));
    QCOMPARE(window->File1->names(), alignment);
    QCOMPARE(window->File2->names(), QStringList({ "pr1.gsi", "Pr2.Gsi" }));
    QCOMPARE(text(window->Dir1->path()), m_work);
    QCOMPARE(window->Dir1->currentItem()->text(0), QFileInfo(m_work).fileName());
    QVERIFY(dirItem("sub"));
    QVERIFY(dirItem("al9.gsi"));
    QVERIFY(!dirItem(".hidden"));
    QCOMPARE(window->File1->selectedItems().size(), 0);
}

void Form1Test::listsAreReadOnlyWhenTheFolderIsSet()
{
    QVERIFY(writeFile(m_work + "/al1.gsi", "*x\r\n"));
    Form1* window = openWindow();
    QVERIFY(writeFile(m_work + "/al2.gsi", "*x\r\n"));
    QCoreApplication::processEvents();
    QCOMPARE(window->File1->names(), QStringList({ "al1.gsi" }));
}

void Form1Test::clickConvertsAndReopensOnTheSameFolder_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("output");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<QStringList>("listed");
    // Where the click happens: fake drives and the start folder below the work folder (none: the
    // machine's drives and the work folder), a subfolder first opened in Dir1 (a symbolic link to
    // `linkTo` when that is set), and the drive that folder is on.
    QTest::addColumn<QStringList>("drives");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("opened");
    QTest::addColumn<QString>("linkTo");
    QTest::addColumn<QString>("drive");
    QTest::addColumn<QString>("relinkTo"); // the link is pointed here after it was opened

    const QString none;
    const QByteArray header = alignmentHeader();
    const QByteArray profile = "*11....+0000000000001250 83..10+0000000000012500 "
                               "72...0-0000000000004000 73...0+0000000000000000 ";
    QTest::newRow("alignment") << "al17.gsi" << QByteArray(header + "\n" + coordinateLine() + "\n")
                               << "al17PI.gsi"
                               << crlf({ header,
                                      "*11....+0000000000001250 71....+0000000000000002 "
                                      "72...0+0000000000250000 73...0+0000000000000000 "
                                      "81..10-0000000087654321 82..10+0000000012345678 " })
                               << QStringList({ "al17.gsi", "al17PI.gsi" }) << QStringList() << none
                               << none << none << none << none;
    QTest::newRow("profile") << "pr17.gsi" << QByteArray(header + "\r\n" + profile + "\r\n")
                             << "pr17VPI.gsi"
                             << crlf({ header,
                                    "*11....+0000000000001250 83..10+0000000000012500 "
                                    "72...0+0000000000004000 73...0+0000000000000000" })
                             << QStringList({ "pr17.gsi", "pr17VPI.gsi" }) << QStringList() << none
                             << none << none << none << none;
    QTest::newRow("a name with blanks and Danish letters")
        << "al vej æøå.gsi" << QByteArray("*only line") << "al vej æøåPI.gsi"
        << QByteArray("*only line\r\n") << QStringList({ "al vej æøå.gsi", "al vej æøåPI.gsi" })
        << QStringList() << none << none << none << none << none;
    // Mounted drives and symbolic links to folders are Linux rows; Windows drives are letters.
    if (PlatformTest::onWindows())
        return;
    // A stick mounts as a folder of another drive; opening it changes the drive too.
    auto placeRow
        = [](const char* name, const QStringList& drives, const char* start, const char* opened,
              const char* linkTo, const char* drive, const char* relinkTo = "") {
              QTest::newRow(name) << "al1.gsi" << QByteArray("*1") << "al1PI.gsi"
                                  << QByteArray("*1\r\n") << QStringList({ "al1.gsi", "al1PI.gsi" })
                                  << drives << start << opened << linkTo << drive << relinkTo;
          };
    placeRow(
        "a drive mounted in a folder of another", { "A", "A/STICK" }, "A", "STICK", "", "A/STICK");
    placeRow("start folder kept when another drive is opened first", { "A", "A/media/STICK" },
        "A/media", "STICK", "", "A/media/STICK");
    placeRow(
        "a folder named as a mount but for letter case", { "A", "A/zmnt" }, "A", "ZMNT", "", "A");
    placeRow("a folder reached through a symbolic link", { "A" }, "A", "link", "real", "A");
    // Once the link leads elsewhere, the folder is named by its own path again.
    placeRow("a link changed after it was opened", { "A" }, "A", "link", "real", "A", "other");
}

void Form1Test::clickConvertsAndReopensOnTheSameFolder()
{
    QFETCH(QString, input);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, output);
    QFETCH(QByteArray, expected);
    QFETCH(QStringList, listed);
    QFETCH(QStringList, drives);
    QFETCH(QString, start);
    QFETCH(QString, opened);
    QFETCH(QString, linkTo);
    QFETCH(QString, drive);
    QFETCH(QString, relinkTo);

    QList<Drives::Drive> fakeDrives;
    for (const QString& root : drives) {
        QVERIFY(QDir().mkpath(m_work + "/" + root));
        fakeDrives.append(fakeDrive(m_work + "/" + root));
    }
    Drives::setDrivesForTesting(fakeDrives);
    start = QDir::cleanPath(m_work + "/" + start);
    QVERIFY(QDir::setCurrent(start));
    QString shown = opened.isEmpty() ? start : start + "/" + opened;
    if (!linkTo.isEmpty()) {
        QVERIFY(QDir().mkpath(start + "/" + linkTo));
        QVERIFY(QFile::link(start + "/" + linkTo, shown));
    }
    QVERIFY(QDir().mkpath(shown));
    QVERIFY(writeFile(shown + "/" + input, bytes));
    // The drive shown, in Drive1 and as the root of Dir1.
    auto checkDrive = [&](Form1* w) {
        if (drives.isEmpty())
            return;
        QCOMPARE(w->Drive1->currentText(), nativeSep(m_work + "/" + drive));
        QCOMPARE(w->Dir1->topLevelItem(0)->text(0), nativeSep(m_work + "/" + drive));
    };

    Form1* window = openWindow();
    if (!opened.isEmpty()) {
        QVERIFY(dirItem(opened));
        doubleClick(window->Dir1, window->Dir1->visualItemRect(dirItem(opened)));
        QVERIFY(MainWindowTest::settle());
        QCOMPARE(window->Text1->text(), nativeSep(shown));
        checkDrive(window);
        if (QTest::currentTestFailed())
            return;
    }
    if (!relinkTo.isEmpty()) {
        QVERIFY(QDir().mkpath(start + "/" + relinkTo));
        QVERIFY(QFile::remove(shown));
        QVERIFY(QFile::link(start + "/" + relinkTo, shown));
        shown = start + "/" + linkTo;
    }
    window->move(40, 30);
    const QPoint place = window->pos();
    FileListBox* list = input.startsWith("al") ? window->File1 : window->File2;
    QVERIFY(clickEntry(list, 0));

    QVERIFY(m_reported.isEmpty());
    QCOMPARE(readFile(shown + "/" + output), expected);

    Form1* fresh = Form1::current();
    QCOMPARE(fresh, window); // refreshed in place, never a second window
    int windows = 0;
    for (QWidget* widget : QApplication::topLevelWidgets())
        windows += qobject_cast<Form1*>(widget) ? 1 : 0;
    QCOMPARE(windows, 1);
    QVERIFY(fresh->isVisible());
    QCOMPARE(fresh->pos(), place);
    QCOMPARE(fresh->Text1->text(), nativeSep(shown));
    checkDrive(fresh);
    if (QTest::currentTestFailed())
        return;
    FileListBox* freshList = input.startsWith("al") ? fresh->File1 : fresh->File2;
    QCOMPARE(freshList->names(), listed);
    QCOMPARE(freshList->selectedItems().size(), 0);
    QCOMPARE(fresh->focusWidget(), fresh->Drive1);

    // The drive the user came from still keeps the folder the user left it in.
    if (!drives.isEmpty() && drive != drives.first()) {
        const int earlier = fresh->Drive1->findText(nativeSep(m_work + "/" + drives.first()));
        fresh->Drive1->setCurrentIndex(earlier);
        emit fresh->Drive1->activated(earlier);
        QVERIFY(MainWindowTest::settle());
        QCOMPARE(QDir::currentPath(), start);
        QCOMPARE(fresh->Text1->text(), nativeSep(start));
        QCOMPARE(fresh->Dir1->topLevelItem(0)->text(0), nativeSep(m_work + "/" + drives.first()));
    }
}

void Form1Test::keysMoveTheHighlightAndEnterOrSpaceConverts_data()
{
    QTest::addColumn<QString>("keys"); // as QKeySequence spells them, one key each
    QTest::addColumn<QString>("converted"); // the one input converted, or none

    QTest::newRow("Down twice, then Enter") << "Down,Down,Return"
                                            << "al2.gsi";
    QTest::newRow("Down, then Space") << "Down,Space"
                                      << "al1.gsi";
    QTest::newRow("End, then the keypad's Enter") << "End,Num+Enter"
                                                  << "al3.gsi";
    QTest::newRow("End, Home, then Enter") << "End,Home,Return"
                                           << "al1.gsi";
    QTest::newRow("Page Down, then Enter") << "PgDown,Return"
                                           << "al3.gsi";
    QTest::newRow("a typed name, then Enter") << "A,L,3,Return"
                                              << "al3.gsi";
    QTest::newRow("Ctrl+Down moves without highlighting; Space takes it") << "Down,Ctrl+Down,Space"
                                                                          << "al2.gsi";
    QTest::newRow("a screen reader toggles the second entry") << "Toggle 1"
                                                              << "al2.gsi";
    QTest::newRow("a screen reader toggles another entry than the highlighted") << "Down,Toggle 2"
                                                                                << "al3.gsi";
    QTest::newRow("a screen reader selects the third entry") << "Select row 2"
                                                             << "al3.gsi";
    QTest::newRow("arrows alone convert nothing") << "Down,Down,End,Up,PgUp,Home"
                                                  << "";
    QTest::newRow("a typed name alone converts nothing") << "A,L,2"
                                                         << "";
    QTest::newRow("Enter before any highlight converts nothing") << "Return"
                                                                 << "";
}

void Form1Test::keysMoveTheHighlightAndEnterOrSpaceConverts()
{
    QFETCH(QString, keys);
    QFETCH(QString, converted);

    const QStringList inputs { "al1.gsi", "al2.gsi", "al3.gsi" };
    for (const QString& name : inputs)
        QVERIFY(writeFile(m_work + "/" + name, name.toLatin1() + "\r\n"));
    const QStringList before = QDir(m_work).entryList(QDir::Files);
    Form1* window = openWindow();
    for (int i = 0; i < 4; ++i)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), window->File1);
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(window->File1);
    for (const QString& key : keys.split(',')) {
        // A screen reader's own ways to choose: an item's action, or the list's selection.
        if (key.startsWith("Toggle ")) {
            QAccessibleInterface* item = list->child(key.mid(7).toInt());
            QVERIFY(item && item->actionInterface());
            QCOMPARE(item->actionInterface()->actionNames(),
                QStringList { QAccessibleActionInterface::toggleAction() });
            item->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
            QCoreApplication::processEvents();
            continue;
        }
        if (key.startsWith("Select row ")) {
            QVERIFY(list->tableInterface()->selectRow(key.mid(11).toInt()));
            QCoreApplication::processEvents();
            continue;
        }
        const QKeyCombination combination = QKeySequence(key)[0];
        QTest::keyClick(window->File1, combination.key(), combination.keyboardModifiers());
    }
    QVERIFY(MainWindowTest::settle());

    QVERIFY(m_reported.isEmpty());
    QStringList expected = before;
    if (converted.isEmpty()) {
        QCOMPARE(Form1::current(), window);
    } else {
        const QString output = converted.chopped(4) + "PI.gsi";
        expected.append(output);
        QCOMPARE(readFile(m_work + "/" + output), converted.toLatin1() + "\r\n");
        Form1* fresh = Form1::current();
        QCOMPARE(fresh, window); // refreshed in place, never a second window
        QCOMPARE(fresh->focusWidget(), fresh->Drive1);
        QCOMPARE(fresh->File1->selectedItems().size(), 0);
    }
    expected.sort();
    // No file passed over on the way was converted.
    QCOMPARE(QDir(m_work).entryList(QDir::Files), expected);
}

void Form1Test::contextMenuOpensThePreviewWithoutConverting_data()
{
    QTest::addColumn<bool>("profile"); // the profile list, else the alignment list
    QTest::addColumn<QString>("key"); // as QKeySequence spells it
    QTest::addColumn<bool>("vanished"); // the file is removed before the menu is used
    QTest::newRow("Shift+F10 in the alignment list") << false << "Shift+F10" << false;
    QTest::newRow("the menu key in the alignment list") << false << "Menu" << false;
    QTest::newRow("Shift+F10 in the profile list") << true << "Shift+F10" << false;
    QTest::newRow("the right button on the entry") << false << "right button" << false;
    QTest::newRow("a file gone since the list was read gives error 53")
        << false << "Shift+F10" << true;
}

void Form1Test::contextMenuOpensThePreviewWithoutConverting()
{
    QFETCH(bool, profile);
    QFETCH(QString, key);
    QFETCH(bool, vanished);

    const QString name = profile ? "pr1.gsi" : "al1.gsi";
    const QByteArray line = profile
        ? "*11....+0000000000000000 83..10+0000000000012500 72...0+0000000000000000 \r\n"
        : "*11....+0000000000000000 71....+00000000STRAIGHT 72...0+0000000000000000 "
          "73...0+0000000000000000 81..10+0000000000000000 82..10-0000000000000000 \r\n";
    QVERIFY(writeFile(m_work + "/" + name, "*head\r\n" + line + line));
    const QStringList before = QDir(m_work).entryList(QDir::Files);
    Form1* window = openWindow();
    FileListBox* list = profile ? window->File2 : window->File1;
    const QRect layout = list->geometry();
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down);
    if (vanished)
        QVERIFY(QFile::remove(m_work + "/" + name));
    if (key == "right button") {
        // What the system sends for a right click over the entry.
        const QPoint at = list->visualItemRect(list->item(0)).center();
        QContextMenuEvent event(
            QContextMenuEvent::Mouse, at, list->viewport()->mapToGlobal(at), Qt::NoModifier);
        QApplication::sendEvent(list->viewport(), &event);
    } else {
        const QKeyCombination combination = QKeySequence(key)[0];
        QTest::keyClick(list, combination.key(), combination.keyboardModifiers());
    }
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    QVERIFY(menu);
    QCOMPARE(menu->actions().value(0)->text().remove('&'), QString("Vis kurve…"));
    QTest::keyClick(menu, Qt::Key_Return);
    QVERIFY(MainWindowTest::settle());

    PreviewWindow* preview = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* found = qobject_cast<PreviewWindow*>(widget); found && found->isVisible())
            preview = found;
    const std::unique_ptr<PreviewWindow> owned(preview);
    if (vanished) {
        QVERIFY(!preview);
        QCOMPARE(m_reported.size(), 1);
        QCOMPARE(m_reported.value(0).number, 53);
        QVERIFY2(m_reported.value(0).description.contains(name),
            qPrintable(m_reported.value(0).description));
        return;
    }
    QVERIFY(m_reported.isEmpty());
    QVERIFY(preview);
    QVERIFY(preview->windowTitle().contains(name));
    QCOMPARE(preview->preview().summary.coordinateLines, 2);
    // Nothing converted, the same window with the same layout.
    QCOMPARE(QDir(m_work).entryList(QDir::Files), before);
    QCOMPARE(Form1::current(), window);
    QCOMPARE(list->geometry(), layout);

    // A click still converts.
    QVERIFY(clickEntry(list, 0));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(QFileInfo::exists(m_work + "/" + name.chopped(4) + (profile ? "VPI.gsi" : "PI.gsi")));
}

void Form1Test::listsSortAsTheUserReads_data()
{
    QTest::addColumn<QString>("locale"); // the user's, as the program finds it
    QTest::addColumn<QStringList>("order");
    const QStringList danish { "AL_CAPS.gsi", "alz.gsi", "alæ.gsi", "alø.gsi", "alå.gsi" };
    QTest::newRow("a Danish user: z, æ, ø, å") << "da_DK" << danish;
    QTest::newRow("a C/POSIX locale sorts as Danish") << "C" << danish;
    // Another language's own order: in English å and æ sort with a, ø with o.
    QTest::newRow("an English user: å, æ, ø among a and o")
        << "en_US" << QStringList { "AL_CAPS.gsi", "alå.gsi", "alæ.gsi", "alø.gsi", "alz.gsi" };
}

void Form1Test::listsSortAsTheUserReads()
{
    QFETCH(QString, locale);
    QFETCH(QStringList, order);
    for (const char* name : { "alå.gsi", "alø.gsi", "alæ.gsi", "alz.gsi", "AL_CAPS.gsi" })
        QVERIFY(writeFile(m_work + "/" + name, "*x\r\n"));
    QVERIFY(QDir(m_work).mkdir("å"));
    QVERIFY(QDir(m_work).mkdir("z"));
    const QLocale previous;
    QLocale::setDefault(QLocale(locale));
    Form1* window = openWindow();
    QLocale::setDefault(previous);
    QCOMPARE(window->File1->names(), order);
    // Folders sort the same way.
    QTreeWidgetItem* z = dirItem("z");
    QTreeWidgetItem* aRing = dirItem("å");
    QVERIFY(z && aRing);
    QCOMPARE(window->Dir1->indexFromItem(aRing).row() > window->Dir1->indexFromItem(z).row(),
        order.indexOf("alå.gsi") > order.indexOf("alz.gsi"));
}

void Form1Test::everyControlHasADanishAccessibleName_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("description"); // a part of it
    QTest::addColumn<int>("role");
    QTest::newRow("Drive1") << "Drive1"
                            << "Drev"
                            << "drevet" << int(QAccessible::ComboBox);
    QTest::newRow("Command2") << "Command2"
                              << "Exit"
                              << "Afslutter" << int(QAccessible::Button);
    QTest::newRow("Picture1") << "Picture1"
                              << "Sigtelinje logo" << SIGTELINJE_VERSION
                              << int(QAccessible::Graphic);
    QTest::newRow("Dir1") << "Dir1"
                          << "Mappe"
                          << "Enter åbner" << int(QAccessible::Tree);
    QTest::newRow("File1") << "File1"
                           << "GSI Alignment filer"
                           << "Konverterer den valgte fil" << int(QAccessible::List);
    QTest::newRow("File2") << "File2"
                           << "GSI Profil filer"
                           << "Konverterer den valgte fil" << int(QAccessible::List);
    QTest::newRow("Command1") << "Command1"
                              << "Hjælp"
                              << "hjælpen" << int(QAccessible::Button);
    QTest::newRow("Text1") << "Text1"
                           << "Mappe"
                           << "sti" << int(QAccessible::EditableText);
}

void Form1Test::everyControlHasADanishAccessibleName()
{
    QFETCH(QString, control);
    QFETCH(QString, name);
    QFETCH(QString, description);
    QFETCH(int, role);
    Form1* window = openWindow();
    const QMap<QString, QWidget*> controls { { "Drive1", window->Drive1 },
        { "Command2", window->Command2 }, { "Picture1", window->Picture1 },
        { "Dir1", window->Dir1 }, { "File1", window->File1 }, { "File2", window->File2 },
        { "Command1", window->Command1 }, { "Text1", window->Text1 } };
    QWidget* widget = controls.value(control);
    QVERIFY(widget);
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
    QVERIFY(accessible);
    // The drive list too, whose value is the drive shown: Qt would name a combo box after its
    // value on Linux.
    QCOMPARE(accessible->text(QAccessible::Name), name);
    if (widget == window->Drive1)
        QCOMPARE(accessible->text(QAccessible::Value), window->Drive1->currentText());
    QVERIFY2(accessible->text(QAccessible::Description).contains(description),
        qPrintable(accessible->text(QAccessible::Description)));
    QCOMPARE(int(accessible->role()), role);
}

void Form1Test::focusedControlShowsAFocusMark_data()
{
    QTest::addColumn<int>("tabs"); // its place in the tab order, from the drive list
    QTest::newRow("Drive1") << 0;
    QTest::newRow("Command2") << 1;
    QTest::newRow("Picture1") << 2;
    QTest::newRow("Dir1") << 3;
    QTest::newRow("File1") << 4;
    QTest::newRow("File2") << 5;
    QTest::newRow("Command1") << 6;
}

void Form1Test::focusedControlShowsAFocusMark()
{
    QFETCH(int, tabs);
    QVERIFY(writeFile(m_work + "/al1.gsi", "*x\r\n"));
    Form1* window = openWindow();
    QList<QWidget*> order { window->Drive1 };
    for (int i = 0; i < 7; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order.append(QApplication::focusWidget());
    }
    // Seen first with the focus elsewhere, then with the focus reached by Tab.
    auto tabTo = [&](int place) {
        while (QApplication::focusWidget() != order.at(place))
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    };
    QWidget* control = order.at(tabs);
    tabTo((tabs + 4) % 7);
    const QImage without = control->grab().toImage();
    tabTo(tabs);
    QVERIFY(control->hasFocus());
    const QImage with = control->grab().toImage();
    QCOMPARE(with.size(), without.size());
    // The mark stands out from what it is drawn on by at least 3:1, as WCAG 1.4.11 asks of a
    // focus mark: a pixel line at least half the control's outline long changes that much.
    int marked = 0;
    for (int y = 0; y < with.height(); ++y)
        for (int x = 0; x < with.width(); ++x)
            marked += contrast(with.pixel(x, y), without.pixel(x, y)) >= 3;
    QVERIFY2(marked >= control->width() + control->height(),
        qPrintable(QStringLiteral("%1 pixels").arg(marked)));
}

void Form1Test::errorBoxShowsTheWholeLongPath_data()
{
    QTest::addColumn<bool>("oneFolder"); // one long folder name, or many short ones
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("shownName"); // as the box shows it
    QTest::newRow("a 240-character path in one long folder name") << true << "al1.gsi"
                                                                  << "al1.gsi";
    QTest::newRow("a 240-character path in many folders") << false << "al1.gsi"
                                                          << "al1.gsi";
    // Line breaks and a bidi override would let a name write a paragraph of its own.
    if (!PlatformTest::onWindows())
        QTest::newRow("a name with a line break and a bidi override: both escaped")
            << true << QString::fromUtf8("al\n\u202eFejl 70.gsi")
            << QString::fromUtf8("al\\x0A\\u202EFejl 70.gsi");
}

void Form1Test::errorBoxShowsTheWholeLongPath()
{
    QFETCH(bool, oneFolder);
    QFETCH(QString, name);
    QFETCH(QString, shownName);
    const int room = 240 - int(nativeSep(m_work).size()) - int(name.size()) - 1;
    QString folder = "/" + QString(oneFolder ? "lang" : "vej/").repeated(room).left(room - 1);
    if (folder.endsWith('/'))
        folder.back() = 'x';
    const QString input = m_work + folder + "/" + name;
    QCOMPARE(input.size(), 240);
    QVERIFY(QDir().mkpath(m_work + folder));
    QVERIFY(writeFile(input, "*x\r\n"));
    QVERIFY(QDir::setCurrent(m_work + folder));
    Form1* window = openWindow();
    QVERIFY(QFile::remove(input));
    QVERIFY(clickEntry(window->File1, 0));
    QCOMPARE(m_reported.size(), 1);

    const std::unique_ptr<QMessageBox> box(
        Form1::errorBox(window, m_reported.first().number, m_reported.first().description));
    box->show();
    QVERIFY(QTest::qWaitForWindowExposed(box.get()));
    // The input is gone (53); on Windows the output's temporary name is too long first (52).
    const QString description = m_reported.first().description;
    QVERIFY2(description.contains(nativeSep(m_work + folder)), qPrintable(description));
    QVERIFY2(description.contains(name), qPrintable(description));
    const QString escaped = QString(description).replace(name, shownName);
    QString shown = box->text();
    shown.remove(QChar(0x200B));
    QVERIFY2(shown.contains(escaped), qPrintable(shown));
    QVERIFY(!shown.contains(QChar(0x202E)));
    QVERIFY(box->accessibleDescription().contains(escaped));
    QVERIFY(box->accessibleName().contains(QString("Fejl %1").arg(m_reported.first().number)));
    const QRect screen = box->screen()->availableGeometry();
    QVERIFY2(screen.contains(box->frameGeometry()),
        qPrintable(QString("%1x%2").arg(box->frameGeometry().width()).arg(box->height())));
    // No line runs past the label's edge, and every line fits its height.
    auto* label = box->findChild<QLabel*>("qt_msgbox_label");
    QVERIFY(label);
    QVERIFY(QFontMetrics(label->font()).horizontalAdvance(label->text()) > label->width());
    QVERIFY2(label->minimumSizeHint().width() <= label->width(),
        qPrintable(QString("%1 > %2").arg(label->minimumSizeHint().width()).arg(label->width())));
    QVERIFY(label->heightForWidth(label->width()) <= label->height());
    QVERIFY(QDir::setCurrent(m_work));
}

void Form1Test::tabbingIntoAListConvertsNothing()
{
    QVERIFY(writeFile(m_work + "/al1.gsi", "*a\r\n"));
    Form1* window = openWindow();
    window->Dir1->setFocus(Qt::TabFocusReason);
    QTest::keyClick(window->Dir1, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), window->File1);
    QCOMPARE(Form1::current(), window);
    QVERIFY(!QFile::exists(m_work + "/al1PI.gsi"));
}

void Form1Test::failedConversionReportsAndLeavesTheWindow_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("number");
    QTest::newRow("input deleted after listing") << "deleted" << 53;
    QTest::newRow("more than 1000 lines") << "long" << 9;
    QTest::newRow("output name is a folder") << "outputdir" << 75;
}

void Form1Test::failedConversionReportsAndLeavesTheWindow()
{
    QFETCH(QString, fault);
    QFETCH(int, number);

    const QString input = m_work + "/al5.gsi";
    const QString output = m_work + "/al5PI.gsi";
    QVERIFY(writeFile(input, fault == "long" ? crlf(QByteArrayList(1001, "*x")) : "*x\r\n"));
    if (fault == "outputdir")
        QVERIFY(QDir(m_work).mkdir("al5PI.gsi"));
    else
        QVERIFY(writeFile(output, "kept"));

    Form1* window = openWindow();
    if (fault == "deleted")
        QVERIFY(QFile::remove(input));
    const QStringList before = QDir(m_work).entryList(QDir::AllEntries | QDir::Hidden);
    QVERIFY(clickEntry(window->File1, 0));

    QCOMPARE(m_reported.size(), 1);
    QCOMPARE(m_reported.first().number, number);
    QVERIFY2(m_reported.first().description.contains(nativeSep(m_work)),
        qPrintable(m_reported.first().description));
    QCOMPARE(Form1::current(), window);
    QCOMPARE(window->File1->selectedItems().size(), 0);
    QCOMPARE(QDir(m_work).entryList(QDir::AllEntries | QDir::Hidden), before);
    if (fault != "outputdir")
        QCOMPARE(readFile(output), QByteArray("kept"));

    // The window goes on working once the cause is gone.
    QVERIFY(writeFile(m_work + "/al6.gsi", "*y\r\n"));
    QTest::keyClick(window->Dir1, Qt::Key_Return); // the same folder: lists stay
    QVERIFY(MainWindowTest::settle());
    QVERIFY(writeFile(input, "*z\r\n"));
    if (fault == "outputdir")
        QVERIFY(QDir(m_work).rmdir("al5PI.gsi"));
    QVERIFY(clickEntry(window->File1, 0));
    QCOMPARE(m_reported.size(), 1);
    QCOMPARE(readFile(output), QByteArray("*z\r\n"));
}

void Form1Test::helpStartsTheViewerWithTheDocumentAsOneArgument()
{
    Form1* window = openWindow();
    // The viewer is started away from the window's thread; each press starts it once.
    for (int press = 0; press < 2; ++press) {
        QTest::mouseClick(window->Command1, Qt::LeftButton);
        QVERIFY(settle());
    }
    const QString document
        = nativeSep(QCoreApplication::applicationDirPath()) + QDir::separator() + "hlp.rtf";
    // Nothing stands at the literal path, so the first word processor that exists is started.
    const QString viewer = Form1Platform::freshSystemHelpViewer();
    QCOMPARE(m_launched, QList<QStringList>({ { viewer, document }, { viewer, document } }));
    QVERIFY(m_opened.isEmpty());
    QVERIFY(m_reported.isEmpty());
}

void Form1Test::helpThatCannotStartIsReported()
{
    Form1::setHelpLauncher([](const QString&, const QStringList&) { return false; });
    Form1::setHelpOpener([](const QString&) { return false; });
    Form1* window = openWindow();
    QTest::mouseClick(window->Command1, Qt::LeftButton);
    QVERIFY(settle());
    QCOMPARE(m_reported.size(), 1);
    QCOMPARE(m_reported.first().number, 53);
    const QString description = m_reported.first().description;
    QVERIFY2(description.contains("hlp.rtf"), qPrintable(description));
    // Every route is named, the literal path first, as missing here.
    QVERIFY2(description.contains(Form1::helpProgram()), qPrintable(description));
    if (Form1Platform::helpShowsAWindow()) {
        // C:\Programmer is no program folder of a fresh system: never started, whatever stands
        // there.
        QVERIFY2(
            description.contains("Tilbehør\\wordpad.exe (ikke i en af systemets programmapper)"),
            qPrintable(description));
        QVERIFY2(
            description.contains(Form1Platform::freshSystemHelpViewer() + " (kunne ikke startes)"),
            qPrintable(description));
        QVERIFY2(description.contains(".rtf"), qPrintable(description));
    }
    QCOMPARE(Form1::current(), window);
}

void Form1Test::helpFallsBackToTheDocumentsAssociation()
{
    if (!Form1Platform::helpShowsAWindow())
        QSKIP("xdg-open is the desktop's association itself; there is no further route");
    Form1::setHelpLauncher([this](const QString& program, const QStringList& arguments) {
        m_launched.append(QStringList { program } + arguments);
        return false;
    });
    Form1* window = openWindow();
    QTest::mouseClick(window->Command1, Qt::LeftButton);
    QVERIFY(settle());
    const QString document
        = nativeSep(QCoreApplication::applicationDirPath()) + QDir::separator() + "hlp.rtf";
    QCOMPARE(
        m_launched, QList<QStringList>({ { Form1Platform::freshSystemHelpViewer(), document } }));
    QCOMPARE(m_opened, QStringList { document });
    QVERIFY(m_reported.isEmpty());
}

void Form1Test::helpOpensTheDocumentForReal_data()
{
    QTest::addColumn<bool>("wordPadStarts");
    QTest::addColumn<bool>("markerAtTheLiteralPath");
    QTest::newRow("WordPad from its folder") << true << false;
    QTest::newRow("the .rtf association") << false << false;
    QTest::newRow("WordPad, not a wordpad.exe any user could put at the literal path")
        << true << true;
}

// The real routes, in a fresh system where nothing stands at the literal path: the document
// must show in a window of its own.
void Form1Test::helpOpensTheDocumentForReal()
{
    QFETCH(bool, wordPadStarts);
    QFETCH(bool, markerAtTheLiteralPath);
    if (!Form1Platform::helpShowsAWindow())
        QSKIP("on Linux the security test follows xdg-open with a stand-in viewer");
    QVERIFY(!QFileInfo::exists(Form1::helpProgram()));
    QVERIFY(QFileInfo::exists(Form1::helpArgument()));
    const QString marker = QDir::fromNativeSeparators(Form1::helpProgram());
    const QString markerRoot = marker.section(u'/', 0, 1); // C:/Programmer
    const auto removeMarker = qScopeGuard([&] {
        if (markerAtTheLiteralPath)
            QDir(markerRoot).removeRecursively();
    });
    if (markerAtTheLiteralPath) {
        // As an ordinary user can: a folder in C:\ and a program in it.
        QVERIFY(!QFileInfo::exists(markerRoot));
        QVERIFY(QDir().mkpath(QFileInfo(marker).path()));
        QVERIFY(QFile::copy(Form1Platform::freshSystemHelpViewer(), marker));
        Form1::setHelpLauncher([this](const QString& program, const QStringList& arguments) {
            m_launched.append(QStringList { program } + arguments);
            return QProcess::startDetached(program, arguments, QFileInfo(program).absolutePath());
        });
        Form1::setHelpOpener([](const QString&) { return false; });
    } else if (wordPadStarts) {
        Form1::setHelpLauncher({});
        Form1::setHelpOpener([](const QString&) { return false; });
    } else {
        Form1::setHelpLauncher([](const QString&, const QStringList&) { return false; });
        Form1::setHelpOpener({});
    }
    Form1* window = openWindow();
    QTest::mouseClick(window->Command1, Qt::LeftButton);
    QVERIFY(settle(60000));
    QVERIFY2(m_reported.isEmpty(), qPrintable(m_reported.value(0).description));
    QVERIFY(Form1Platform::otherProgramShowsWindow("hlp.rtf", 60000));
    if (markerAtTheLiteralPath)
        QCOMPARE(m_launched,
            QList<QStringList>(
                { { Form1Platform::freshSystemHelpViewer(), Form1::helpArgument() } }));
}

void Form1Test::folderListClickOnlyMovesTheHighlight()
{
    QVERIFY(QDir(m_work).mkdir("sub"));
    Form1* window = openWindow();
    QTreeWidgetItem* sub = dirItem("sub");
    QVERIFY(sub);
    QTest::mouseClick(
        window->Dir1->viewport(), Qt::LeftButton, {}, window->Dir1->visualItemRect(sub).center());
    QCOMPARE(window->Dir1->currentItem(), sub);
    QCOMPARE(text(window->Dir1->path()), m_work);
    QCOMPARE(QDir::currentPath(), m_work);
}

void Form1Test::folderListOpensOnDoubleClickAndEnter()
{
    QVERIFY(QDir(m_work).mkpath("sub/deeper"));
    QVERIFY(writeFile(m_work + "/sub/al1.gsi", "*x"));
    QVERIFY(writeFile(m_work + "/sub/pr1.gsi", "*x"));
    Form1* window = openWindow();

    QTreeWidgetItem* sub = dirItem("sub");
    QVERIFY(sub);
    doubleClick(window->Dir1, window->Dir1->visualItemRect(sub));
    QVERIFY(MainWindowTest::settle());
    QCOMPARE(QDir::currentPath(), m_work + "/sub");
    QCOMPARE(window->Text1->text(), nativeSep(m_work + "/sub"));
    QCOMPARE(window->File1->names(), QStringList({ "al1.gsi" }));
    QCOMPARE(window->File2->names(), QStringList({ "pr1.gsi" }));
    QVERIFY(dirItem("deeper"));

    // Enter on a highlighted folder above opens it too.
    window->Dir1->setCurrentItem(dirItem(QFileInfo(m_work).fileName()));
    QTest::keyClick(window->Dir1, Qt::Key_Return);
    QVERIFY(MainWindowTest::settle());
    QCOMPARE(QDir::currentPath(), m_work);
    QCOMPARE(window->Text1->text(), nativeSep(m_work));
    QCOMPARE(window->File1->names(), QStringList());

    // The root entry shows the drive, and every level down to here.
    QCOMPARE(window->Dir1->topLevelItem(0)->text(0),
        nativeSep(text(Drives::driveOf(NativePath::fromText(m_work)))));
}

void Form1Test::eachDriveKeepsItsOwnCurrentFolder()
{
    // On Windows two of the machine's own drive letters, the temporary folder's and the
    // test's start folder's (under Wine C: and Z:), each keeping its current folder where
    // Windows keeps it, in "=C:" and "=Z:". Elsewhere two folders stand in for drives.
    const bool letters = QOperatingSystemVersion::currentType() == QOperatingSystemVersion::Windows;
    QTemporaryDir elsewhere(letters ? m_startFolder + "/drive-XXXXXX" : m_work + "/B-XXXXXX");
    QVERIFY(elsewhere.isValid());
    const QString a = m_work + "/A";
    const QString b = letters ? elsewhere.path() + "/B" : m_work + "/B";
    QVERIFY(QDir().mkpath(a + "/road"));
    QVERIFY(QDir().mkpath(b + "/site"));
    QVERIFY(writeFile(a + "/road/al1.gsi", "*a"));
    QVERIFY(writeFile(b + "/pr2.gsi", "*b"));
    QVERIFY(writeFile(b + "/site/al3.gsi", "*c"));
    const auto driveOf
        = [](const QString& path) { return Drives::driveOf(NativePath::fromText(path)); };
    if (letters) {
        QVERIFY(driveOf(a) != driveOf(b));
        // The drive not chosen yet has been to a folder of ours before.
        Drives::makeCurrentFolder(NativePath::fromText(b));
    }
    QVERIFY(QDir::setCurrent(a + "/road"));
    if (!letters)
        Drives::setDrivesForTesting({ fakeDrive(a, "ALPHA"), fakeDrive(b) });
    QList<Drives::Path> roots;
    for (const Drives::Drive& drive : Drives::list())
        roots.append(drive.root);
    const int driveA = int(roots.indexOf(driveOf(a)));
    const int driveB = int(roots.indexOf(driveOf(b)));

    Form1* window = openWindow();
    QCOMPARE(window->Drive1->count(), roots.size());
    QCOMPARE(window->Drive1->currentIndex(), driveA);
    if (letters) {
        QStringList shown;
        for (int i = 0; i < window->Drive1->count(); ++i)
            shown.append(window->Drive1->itemText(i).left(2));
        QVERIFY2(shown.contains("c:") && shown.contains("z:"), qPrintable(shown.join(' ')));
    } else {
        QCOMPARE(window->Drive1->currentText(), nativeSep(a) + " [ALPHA]");
    }
    QCOMPARE(window->Text1->text(), nativeSep(a + "/road"));

    auto chooseDrive = [&](Form1* w, int index) {
        w->Drive1->setCurrentIndex(index);
        emit w->Drive1->activated(index);
        QVERIFY(MainWindowTest::settle());
    };

    // A drive never visited starts at its root; one visited, where it was left.
    chooseDrive(window, driveB);
    QCOMPARE(QDir::currentPath(), b);
    QCOMPARE(text(window->Dir1->path()), b);
    QCOMPARE(window->Text1->text(), nativeSep(b));
    QCOMPARE(window->File1->names(), QStringList());
    QCOMPARE(window->File2->names(), QStringList({ "pr2.gsi" }));

    doubleClick(window->Dir1, window->Dir1->visualItemRect(dirItem("site")));
    QVERIFY(MainWindowTest::settle());
    QCOMPARE(window->File1->names(), QStringList({ "al3.gsi" }));

    // Back on the first drive: its own folder, not its root.
    chooseDrive(window, driveA);
    QCOMPARE(QDir::currentPath(), a + "/road");
    QCOMPARE(window->Text1->text(), nativeSep(a + "/road"));
    QCOMPARE(window->File1->names(), QStringList({ "al1.gsi" }));
    QCOMPARE(window->File2->names(), QStringList());

    // A conversion brings the window back on the drive and folder last chosen.
    chooseDrive(window, driveB);
    QCOMPARE(QDir::currentPath(), b + "/site");
    QVERIFY(clickEntry(window->File1, 0));
    Form1* fresh = Form1::current();
    QCOMPARE(fresh, window);
    QCOMPARE(fresh->Drive1->currentIndex(), driveB);
    QCOMPARE(fresh->Text1->text(), nativeSep(b + "/site"));
    QCOMPARE(fresh->File1->names(), QStringList({ "al3.gsi", "al3PI.gsi" }));
    chooseDrive(fresh, driveA);
    QCOMPARE(QDir::currentPath(), a + "/road");
    chooseDrive(fresh, driveB);
    QCOMPARE(QDir::currentPath(), b + "/site");
    QVERIFY(QDir::setCurrent(m_work));
}

void Form1Test::failedFolderChangeKeepsThePreviousFolder()
{
    QVERIFY(QDir(m_work).mkdir("gone"));
    QVERIFY(writeFile(m_work + "/al1.gsi", "*x"));
    Form1* window = openWindow();
    QTreeWidgetItem* gone = dirItem("gone");
    QVERIFY(gone);
    const QRect place = window->Dir1->visualItemRect(gone);
    QVERIFY(QDir(m_work).rmdir("gone"));

    doubleClick(window->Dir1, place);
    QVERIFY(MainWindowTest::settle());
    QCOMPARE(m_reported.size(), 1);
    QCOMPARE(m_reported.first().number, 76);
    QVERIFY(m_reported.first().description.contains(nativeSep(m_work + "/gone")));
    QCOMPARE(QDir::currentPath(), m_work);
    QCOMPARE(text(window->Dir1->path()), m_work);
    QCOMPARE(window->Text1->text(), nativeSep(m_work));
    QCOMPARE(window->File1->names(), QStringList({ "al1.gsi" }));
}

void Form1Test::failedDriveChangeKeepsThePreviousDrive()
{
    const QString a = m_work + "/A";
    const QString b = m_work + "/B";
    QVERIFY(QDir().mkpath(a));
    QVERIFY(QDir().mkpath(b));
    QVERIFY(writeFile(a + "/al1.gsi", "*a"));
    QVERIFY(QDir::setCurrent(a));
    Drives::setDrivesForTesting({ fakeDrive(a), fakeDrive(b) });
    Form1* window = openWindow();
    QVERIFY(QDir(m_work).rmdir("B"));

    window->Drive1->setCurrentIndex(1);
    emit window->Drive1->activated(1);
    QVERIFY(MainWindowTest::settle());
    QCOMPARE(m_reported.size(), 1);
    QCOMPARE(m_reported.first().number, 68);
    QVERIFY(m_reported.first().description.contains(nativeSep(b)));
    QCOMPARE(window->Drive1->currentIndex(), 0);
    QCOMPARE(QDir::currentPath(), a);
    QCOMPARE(text(window->Dir1->path()), a);
    QCOMPARE(window->Text1->text(), nativeSep(a));
    QCOMPARE(window->File1->names(), QStringList({ "al1.gsi" }));
}

void Form1Test::everyMediumThatHoldsFilesIsADrive_data()
{
    QTest::addColumn<FuseMount::Kind>("kind");
    QTest::newRow("exFAT stick") << FuseMount::Kind::ExFat;
    QTest::newRow("FAT stick") << FuseMount::Kind::Fat;
    QTest::newRow("NTFS disk (fuseblk)") << FuseMount::Kind::Ntfs;
    QTest::newRow("share through bindfs") << FuseMount::Kind::Bindfs;
    QTest::newRow("ISO image, which reports a size of 0") << FuseMount::Kind::Iso;
}

void Form1Test::everyMediumThatHoldsFilesIsADrive()
{
    QFETCH(FuseMount::Kind, kind);
    if (const QString why = FuseMount::unavailable(kind); !why.isEmpty())
        QSKIP(qPrintable(why));
    QTemporaryDir source;
    QVERIFY(writeFile(source.filePath("al1.gsi"), "*x\r\n"));
    FuseMount medium(kind, m_work + "/STICK", {}, source.path());
    QVERIFY2(medium.isMounted(), qPrintable(medium.error()));
    const QString stick = medium.mountPoint();
    if (kind != FuseMount::Kind::Bindfs && kind != FuseMount::Kind::Iso)
        QVERIFY(writeFile(stick + "/al1.gsi", "*x\r\n"));

    Form1* window = openWindow();
    QStringList shown;
    for (int i = 0; i < window->Drive1->count(); ++i)
        shown << window->Drive1->itemText(i);
    const int index = int(shown.indexOf(
        QRegularExpression("^" + QRegularExpression::escape(stick) + "( \\[.*\\])?$")));
    QVERIFY2(index >= 0, qPrintable(shown.join(" | ")));
    window->Drive1->setCurrentIndex(index);
    emit window->Drive1->activated(index);
    QVERIFY(MainWindowTest::settle());
    QVERIFY2(m_reported.isEmpty(), qPrintable(m_reported.value(0).description));
    QCOMPARE(window->Text1->text(), stick);
    QCOMPARE(window->File1->names(), QStringList({ "al1.gsi" }));
    // Out again, so that the medium can be unmounted.
    QVERIFY(QDir::setCurrent(m_work));
}

// Wine's drive letters are links in the prefix's dosdevices; wine-run.sh links s: to a folder of
// the prefix, which this row removes and puts back.
void Form1Test::driveLetterWhoseFolderVanishedSaysSo()
{
    const QString prefix = qEnvironmentVariable("WINEPREFIX");
    if (QOperatingSystemVersion::currentType() != QOperatingSystemVersion::Windows
        || prefix.isEmpty() || !QFileInfo::exists("S:/"))
        QSKIP("a row for Wine, whose prefix links the drive s: to a folder (wine-run.sh)");
    const QString unix = "Z:" + QDir::fromNativeSeparators(prefix);
    const QString target = unix + "/drive_s";
    QStringList letters
        = QDir(unix + "/dosdevices").entryList({ "?:" }, QDir::AllEntries | QDir::System);
    Form1* window = openWindow();
    QStringList shown;
    for (int i = 0; i < window->Drive1->count(); ++i)
        shown << window->Drive1->itemText(i).left(2);
    for (const QString& letter : letters)
        QVERIFY2(
            shown.contains(letter.toLower()), qPrintable(letter + " not in " + shown.join(' ')));
    const int s = int(shown.indexOf("s:"));

    QVERIFY(QDir(target).removeRecursively());
    window->Drive1->setCurrentIndex(s);
    emit window->Drive1->activated(s);
    QVERIFY(MainWindowTest::settle());
    const bool back = QDir().mkpath(target);
    QCOMPARE(m_reported.size(), 1);
    QVERIFY2(m_reported.first().number == 68 || m_reported.first().number == 76,
        qPrintable(m_reported.first().description));
    QVERIFY2(m_reported.first().description.contains("S:", Qt::CaseInsensitive),
        qPrintable(m_reported.first().description));
    QCOMPARE(window->Text1->text(), nativeSep(m_work));
    QVERIFY(back);
}

// How long the window's thread was busy at most, in milliseconds, while `wait` ran: the largest
// gap between ticks of a timer that asks to run every 5 ms.
int longestStall(const std::function<void()>& wait)
{
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0, longest = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        longest = std::max(longest, clock.elapsed() - last);
        last = clock.elapsed();
    });
    tick.start(5);
    wait();
    return int(std::max(longest, clock.elapsed() - last));
}

void Form1Test::waitingOnAMediumLeavesTheWindowUsable_data()
{
    QTest::addColumn<QString>("case_");
    QTest::newRow("a click, then Exit, with the medium stopped") << "exit";
    QTest::newRow("two clicks while the medium is stopped") << "twice";
    QTest::newRow("the window closed while another window is open") << "close";
    QTest::newRow("a click on a list being replaced") << "replaced";
    QTest::newRow("a slow folder that keeps answering") << "slow";
    QTest::newRow("a dangling link listed last") << "dangling";
    QTest::newRow("help whose viewer is looked up on a stopped medium") << "help";
}

void Form1Test::waitingOnAMediumLeavesTheWindowUsable()
{
    QFETCH(QString, case_);
    const QString source = m_work + "/source";
    QVERIFY(QDir().mkpath(source));
    if (case_ == "dangling") {
        if (PlatformTest::onWindows())
            QSKIP("Qt makes a shortcut file for a link on Windows, and Wine lists it as a file");
        // tmpfs lists the newest entry first, so the link made first comes last.
        QTemporaryDir memory("/dev/shm/sigtelinje-XXXXXX");
        if (!memory.isValid())
            QSKIP("no tmpfs at /dev/shm");
        QVERIFY(QFile::link(memory.path() + "/missing", memory.path() + "/al4.gsi"));
        QVERIFY(writeFile(memory.path() + "/al1.gsi", "*x\r\n"));
        QDir unsorted(memory.path(), {}, QDir::Unsorted, QDir::AllEntries | QDir::System);
        if (unsorted.entryList().value(unsorted.entryList().size() - 1) != "al4.gsi")
            QSKIP("this tmpfs does not list the link last");
        QVERIFY(QDir::setCurrent(memory.path()));
        Form1* window = openWindow();
        QVERIFY2(m_reported.isEmpty(), qPrintable(m_reported.value(0).description));
        QCOMPARE(window->File1->names(), QStringList({ "al1.gsi" }));
        return;
    }

    const FuseMount::Kind kind = case_ == "slow" ? FuseMount::Kind::Slow : FuseMount::Kind::Bindfs;
    if (const QString why = FuseMount::unavailable(kind); !why.isEmpty())
        QSKIP(qPrintable(why));
    if (case_ == "slow") {
        // Far more entries than one answer holds, each answer 200 ms late: several seconds in
        // all, longer than any one call may take.
        for (int i = 0; i < 4000; ++i)
            QVERIFY(writeFile(source + QStringLiteral("/survey%1.txt").arg(i), ""));
    }
    QVERIFY(writeFile(source + "/al2.gsi", "*al2\r\n"));
    const QStringList options = case_ == "slow" ? QStringList { "delay=200" } : QStringList();
    FuseMount medium(kind, m_work + "/share", options, source);
    QVERIFY2(medium.isMounted(), qPrintable(medium.error()));
    const QString share = medium.mountPoint();
    QVERIFY(writeFile(m_work + "/al1.gsi", "*al1\r\n"));

    if (case_ == "replaced" || case_ == "slow") {
        Form1* window = openWindow();
        QCOMPARE(window->File1->names(), QStringList({ "al1.gsi" }));
        if (case_ == "replaced")
            medium.stop();
        window->Dir1->setPath(NativePath::fromText(share));
        QStringList said;
        if (case_ == "replaced") {
            // The list still shows this folder: a click converts the file shown there.
            QVERIFY(window->isBusy());
            QTest::mouseClick(window->File1->viewport(), Qt::LeftButton, {},
                window->File1->visualItemRect(window->File1->item(0)).center());
            QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(m_work + "/al1PI.gsi"), 3000);
            QVERIFY2(m_reported.isEmpty(), qPrintable(m_reported.value(0).description));
            medium.resume();
        }
        QVERIFY(QTest::qWaitFor(
            [&] {
                said << window->statusText();
                return !window->isBusy();
            },
            60000));
        QVERIFY2(m_reported.isEmpty(), qPrintable(m_reported.value(0).description));
        QCOMPARE(window->Text1->text(), nativeSep(share));
        QCOMPARE(window->File1->names(), QStringList({ "al2.gsi" }));
        QVERIFY(!QFile::exists(share + "/al2PI.gsi"));
        if (case_ == "slow")
            QVERIFY2(!said.filter(" poster)").isEmpty(), qPrintable(said.join('\n')));
        return;
    }

    if (case_ == "help") {
        if (Form1::helpPrograms() != QStringList { "xdg-open" })
            QSKIP("here the help's viewer is not looked up on the search path");
        // The search path's first folder is on the medium, and the viewer found there says
        // what it was asked to open.
        const QString opened = m_work + "/opened";
        QVERIFY(writeFile(
            source + "/xdg-open", "#!/bin/sh\necho \"$1\" >'" + QFile::encodeName(opened) + "'\n"));
        QVERIFY(QFile::setPermissions(source + "/xdg-open",
            QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ExeOther));
        const QByteArray searchPath = qgetenv("PATH");
        const auto restorePath = qScopeGuard([&] { qputenv("PATH", searchPath); });
        qputenv("PATH", QFile::encodeName(share) + ':' + searchPath);
        Form1::setHelpLauncher({});
        Form1* window = openWindow();
        medium.stop();
        // A press that waited on the medium is woken after 5 s: the row fails, it does not hang.
        QSemaphore finished;
        std::thread watchdog([&] {
            finished.tryAcquire(1, 5000);
            medium.resume();
        });
        const auto endWatchdog = qScopeGuard([&] {
            finished.release();
            watchdog.join();
        });
        const int stall = longestStall([&] {
            QTest::mouseClick(window->Command1, Qt::LeftButton);
            QVERIFY(window->isBusy());
            QTest::qWait(1500);
        });
        QVERIFY2(stall < 1000, qPrintable(QString::number(stall)));
        medium.resume();
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(opened), 10000);
        QVERIFY(settle());
        QVERIFY2(m_reported.isEmpty(), qPrintable(m_reported.value(0).description));
        QCOMPARE(readFile(opened).trimmed(), QFile::encodeName(Form1::helpArgument()));
        return;
    }

    QVERIFY(QDir::setCurrent(share));
    QPointer<Form1> window = openWindow();
    QCOMPARE(window->File1->names(), QStringList({ "al2.gsi" }));
    QWidget other; // a second top-level window, such as a preview
    other.show();
    medium.stop();
    FileListBox* list = window->File1;
    const QPoint entry = list->visualItemRect(list->item(0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, entry);
    QVERIFY(window->isBusy());
    QVERIFY(list->item(0)->font().italic());
    QVERIFY2(window->statusText().contains("al2.gsi"), qPrintable(window->statusText()));
    // The window's thread answers while the conversion waits on the stopped medium.
    const int stall = longestStall([] { QTest::qWait(1500); });
    QVERIFY2(stall < 1000, qPrintable(QString::number(stall)));

    if (case_ == "exit") {
        // Exit ends the event loop at once (0); the 10 s guard would end it with 1.
        QTimer::singleShot(0, window, [&] { QTest::mouseClick(window->Command2, Qt::LeftButton); });
        QTimer::singleShot(10000, [] { QCoreApplication::exit(1); });
        QCOMPARE(QCoreApplication::exec(), 0);
        return;
    }
    if (case_ == "twice")
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, entry);
    if (case_ == "close") {
        window->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!window);
    }
    medium.resume();
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(share + "/al2PI.gsi"), 10000);
    QVERIFY(settle());
    int windows = 0;
    for (QWidget* widget : QApplication::topLevelWidgets())
        windows += qobject_cast<Form1*>(widget) ? 1 : 0;
    QCOMPARE(windows, case_ == "close" ? 0 : 1);
    QVERIFY2(m_reported.isEmpty(), qPrintable(m_reported.value(0).description));
    if (case_ == "close")
        return;
    QCOMPARE(Form1::current(), window.data());
    QCOMPARE(window->File1->names(), QStringList({ "al2.gsi", "al2PI.gsi" }));
    QCOMPARE(window->focusWidget(), window->Drive1);
    QVERIFY2(window->statusText().contains("al2PI.gsi"), qPrintable(window->statusText()));
    QVERIFY(window->Drive1->accessibleDescription().contains("al2PI.gsi"));
    // The focus comes back visibly: the drive list shows a mark while it has the focus.
    other.close();
    QApplication::setActiveWindow(window);
    QVERIFY(window->Drive1->hasFocus());
    const QImage focused = window->Drive1->grab().toImage();
    window->Command2->setFocus();
    QVERIFY(window->Drive1->grab().toImage() != focused);
}

QTEST_MAIN(Form1Test)
#include "tst_form1.moc"
