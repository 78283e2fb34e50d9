// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "form1.h"

#include "background.h"
#include "drives.h"
#include "folderlisting.h"
#include "gsierror.h"
#include "listboxes.h"
#include "messagetext.h"
#include "module1.h"
#include "nativepath.h"
#include "previewwindow.h"
#include "roadmodel.h"
#include "shownname.h"

#include <QAbstractScrollArea>
#include <QAccessibleWidget>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <tuple>

namespace {

Form1* currentWindow = nullptr;

QString description(const GsiError& error) { return QString::fromStdString(error.description()); }

QString shown(const std::filesystem::path& path) { return NativePath::shown(path); }

// The viewer starts in its own folder (this program's, for one found by name), never in the
// folder being browsed, which may be a share where anyone can put a DLL.
bool startDetached(const QString& program, const QStringList& arguments)
{
    const QString folder = QDir::isAbsolutePath(program) ? QFileInfo(program).absolutePath()
                                                         : QCoreApplication::applicationDirPath();
    return QProcess::startDetached(program, arguments, folder);
}

Form1::Launcher helpLauncher = startDetached;
Form1::Opener helpOpener = Form1::openWithAssociatedProgram;

Form1::Reporter errorReporter = [](QWidget* window, int number, const QString& description) {
    const std::unique_ptr<QMessageBox> box(Form1::errorBox(window, number, description));
    box->exec();
};

// A plain top-level widget is a "filler" to a screen reader, which then does not say which
// window it is in; the main window is a window.
QAccessibleInterface* windowAccessible(const QString& key, QObject* object)
{
    if (key == QLatin1String("Form1") && object && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
    return nullptr;
}

// The window's geometry is laid out in twips, 15 to the pixel.
QRect twips(int left, int top, int width, int height)
{
    return { left / 15, top / 15, width / 15, height / 15 };
}

// "MS Sans Serif" is a bitmap font on Windows and under Wine (sserife.fon): one weight at a
// few fixed sizes, so 9.75 points and bold cannot be drawn with it, and Qt lists no bitmap fonts
// at all. Where no scalable font of that name is installed, the nearest sans-serif takes its
// place at the same sizes and weights: Microsoft Sans Serif, its TrueType successor on every
// Windows (bold drawn by the font engine), then the metric twin of Arial, Arial, DejaVu Sans.
QString windowFontFamily()
{
    static const QString family = [] {
        for (const char* name : { "MS Sans Serif", "Microsoft Sans Serif", "Liberation Sans",
                 "Arial", "DejaVu Sans" }) {
            const QString candidate = QString::fromLatin1(name);
            if (QFontDatabase::hasFamily(candidate) && QFontDatabase::isSmoothlyScalable(candidate))
                return candidate;
        }
        return QStringLiteral("MS Sans Serif");
    }();
    return family;
}

QFont sansSerif(qreal points, bool bold)
{
    QFont font(windowFontFamily());
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

// Lists and fields in the pale tooltip colour; Text1 keeps black text even
// though it is disabled.
void paintTooltipBackground(QWidget* widget, bool blackText = false)
{
    QPalette palette = widget->palette();
    const QColor background = palette.color(QPalette::ToolTipBase);
    for (auto group : { QPalette::Active, QPalette::Inactive, QPalette::Disabled }) {
        palette.setColor(group, QPalette::Base, background);
        palette.setColor(group, QPalette::Button, background);
        if (blackText)
            palette.setColor(group, QPalette::Text, Qt::black);
    }
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

QGroupBox* frame(QWidget* parent, const QString& caption, QRect geometry, const QFont& font)
{
    auto* box = new QGroupBox(caption, parent);
    box->setGeometry(geometry);
    box->setFont(font);
    box->setFocusPolicy(Qt::NoFocus);
    return box;
}

QPushButton* button(QWidget* parent, const QString& caption, QRect geometry, const QFont& font)
{
    auto* push = new QPushButton(caption, parent);
    push->setGeometry(geometry);
    push->setFont(font);
    push->setAutoDefault(false);
    push->setDefault(false);
    return push;
}

}

// One folder as the three lists show it, read together away from the window's thread.
struct Form1::Listing {
    std::uint64_t generation = 0;
    std::filesystem::path folder; // the folder read, which a drive change chooses
    std::filesystem::path drive; // the drive that holds it
    std::optional<GsiError> error; // why the folder could not be shown
    std::vector<FolderListing::Entry> folders, alignment, profile;
};

// What the window starts from: the machine's drives and the process's current folder.
struct Form1::Start {
    QList<Drives::Drive> drives;
    std::filesystem::path here;
};

namespace {

// The process has one current folder: only the newest request may make its folder current,
// and one change at a time, whatever order the threads of older requests end in.
std::mutex folderChange;
std::atomic<std::uint64_t> newestRequest { 0 };
std::filesystem::path madeCurrent; // the folder the newest request made current

// The folder a file chosen in a list of `listed` lies in. The list's own folder, unless it is
// the current one: then the current folder as the system now names it, which is where the user
// is even when a link on the way has been changed since.
std::filesystem::path folderOfEntry(const std::filesystem::path& listed)
{
    const std::lock_guard lock(folderChange);
    if (listed != madeCurrent)
        return listed;
    const std::filesystem::path here = Drives::currentFolder();
    return here.empty() ? listed : here;
}

GsiError folderError(FolderListing::Failure failure, const std::filesystem::path& folder)
{
    using FolderListing::Failure;
    const QString name = shown(folder);
    switch (failure) {
    case Failure::Gone:
        return GsiError(GsiError::PathNotFound,
            QStringLiteral("Mappen findes ikke: %1").arg(name).toStdString());
    case Failure::NoAccess:
        return GsiError(GsiError::PermissionDenied,
            QStringLiteral("Ingen adgang til mappen %1").arg(name).toStdString());
    case Failure::NotAnswering:
        return GsiError(GsiError::DeviceUnavailable,
            QStringLiteral("Enheden er ikke tilgængelig: mappen %1 kan ikke læses")
                .arg(name)
                .toStdString());
    case Failure::NotReady:
        return GsiError(GsiError::DiskNotReady,
            QStringLiteral("Drevet med mappen %1 er ikke klar").arg(name).toStdString());
    case Failure::IoError:
    case Failure::None:
        break;
    }
    return GsiError(GsiError::DeviceIoError,
        QStringLiteral("Mappen %1 kan ikke læses (I/O-fejl)").arg(name).toStdString());
}

// Runs on a worker: reads the folder (a drive's current folder when `drive` is set) and, if no
// newer request has come meanwhile, makes it the process's current folder.
void readFolder(Form1::Listing& read, const std::filesystem::path& drive,
    const QString& alignmentPattern, const QString& profilePattern, std::atomic<int>& progress)
{
    using FolderListing::Failure;
    using FolderListing::Kind;
    if (!drive.empty()) {
        Drives::checkDrive(drive);
        {
            const std::lock_guard lock(folderChange);
            read.folder = Drives::currentFolderOf(drive);
        }
        // A drive's folder that has gone since makes the drive start at its root.
        if (!Drives::isFolder(read.folder))
            read.folder = drive;
    }
    read.drive = drive.empty() ? Drives::driveOf(read.folder) : drive;
    Failure failure = Failure::None;
    read.folders = FolderListing::list(read.folder, Kind::Folders, {}, &failure, &progress);
    if (failure == Failure::None)
        read.alignment
            = FolderListing::list(read.folder, Kind::Files, alignmentPattern, &failure, &progress);
    if (failure == Failure::None)
        read.profile
            = FolderListing::list(read.folder, Kind::Files, profilePattern, &failure, &progress);
    if (failure != Failure::None)
        throw folderError(failure, read.folder);
    const std::lock_guard lock(folderChange);
    if (read.generation == newestRequest.load()) {
        Drives::makeCurrentFolder(read.folder);
        madeCurrent = read.folder;
    }
}

}

Form1::Form1(QWidget* parent)
    : QWidget(parent)
{
    static const bool factoryInstalled = (QAccessible::installFactory(windowAccessible), true);
    Q_UNUSED(factoryInstalled);
    setWindowTitle(QStringLiteral("Sigtelinje"));
    setWindowIcon(QIcon(QStringLiteral(":/logo.png")));
    setFont(sansSerif(9.75, true));
    setFixedSize(11955 / 15, 6930 / 15);

    createControls();
    setTabOrderAndNames();
    connectEvents();
    startReading();
    Drive1->setFocus();
    currentWindow = this;
}

void Form1::createControls()
{
    const QFont small = sansSerif(8.25, false);
    const QFont regular = sansSerif(9.75, false);

    Frame1 = frame(this, QStringLiteral("Mappe"), twips(240, 6000, 11775, 735), small);
    Text1 = new QLineEdit(Frame1);
    Text1->setGeometry(twips(120, 240, 11415, 375));
    Text1->setFont(font());
    Text1->setEnabled(false);
    paintTooltipBackground(Text1, true);

    Drive1 = new DriveComboBox(this);
    Drive1->setGeometry(twips(240, 240, 3375, 360));
    Drive1->setFont(regular);
    paintTooltipBackground(Drive1);

    Command2
        = button(this, QStringLiteral("Exit"), twips(10200, 240, 1455, 375), sansSerif(12, true));

    Picture1 = new PictureBox(QPixmap(QStringLiteral(":/logo.png")), this);
    Picture1->setGeometry(twips(10200, 840, 1455, 1455));

    Label1 = new QLabel(
        QStringLiteral("Sigtelinje\nversion %1").arg(QStringLiteral(SIGTELINJE_VERSION)), this);
    Label1->setGeometry(twips(10200, 2400, 1455, 495));
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label1->setFocusPolicy(Qt::NoFocus);

    Frame3 = frame(this, QStringLiteral("Mappe"), twips(240, 600, 3375, 5295), regular);
    Dir1 = new DirListBox(Frame3);
    Dir1->setGeometry(twips(120, 360, 3135, 4680));
    Dir1->setFont(regular);
    paintTooltipBackground(Dir1);

    Frame4
        = frame(this, QStringLiteral("GSI Alignment filer"), twips(3720, 120, 3135, 5775), regular);
    File1 = new FileListBox(QStringLiteral("al*.gsi"), Frame4);
    File1->setGeometry(twips(120, 360, 2895, 5130));
    File1->setFont(regular);
    paintTooltipBackground(File1);

    Frame5 = frame(this, QStringLiteral("GSI Profil filer"), twips(6960, 120, 3135, 5775), regular);
    File2 = new FileListBox(QStringLiteral("pr*.gsi"), Frame5);
    File2->setGeometry(twips(120, 360, 2895, 5130));
    File2->setFont(regular);
    paintTooltipBackground(File2);

    Command1 = button(this, QStringLiteral("Hjælp"), twips(10200, 3000, 1455, 375), font());

    // Each control that takes the focus shows it with a mark that can be seen.
    auto* focusMarks = new FocusMarkStyle;
    focusMarks->setParent(this);
    for (QWidget* control : std::initializer_list<QWidget*> {
             Drive1, Command2, Picture1, Dir1, File1, File2, Command1 })
        control->setStyle(focusMarks);
}

void Form1::setTabOrderAndNames()
{
    setTabOrder(Drive1, Command2);
    setTabOrder(Command2, Picture1);
    setTabOrder(Picture1, Dir1);
    setTabOrder(Dir1, File1);
    setTabOrder(File1, File2);
    setTabOrder(File2, Command1);

    // What a screen reader says for each control: the caption beside it, and what it does.
    const QString chooses = QStringLiteral("Konverterer den valgte fil: klik på en fil, eller "
                                           "flyt med piletasterne og tryk Enter eller mellemrum");
    const QList<std::tuple<QWidget*, QString, QString>> spoken {
        { Drive1, QStringLiteral("Drev"), QStringLiteral("Drev: vælger drevet") },
        { Command2, Command2->text(), QStringLiteral("Afslutter Sigtelinje") },
        { Picture1, QStringLiteral("Sigtelinje logo"), Label1->text().replace(u'\n', u' ') },
        { Dir1, Frame3->title(),
            QStringLiteral("Mapperne på drevet; dobbeltklik eller Enter åbner den fremhævede") },
        { File1, Frame4->title(), chooses },
        { File2, Frame5->title(), chooses },
        { Command1, Command1->text(), QStringLiteral("Viser hjælpen") },
        { Text1, Frame1->title(), QStringLiteral("Den åbne mappes fulde sti") },
    };
    for (const auto& [control, name, what] : spoken) {
        control->setAccessibleName(name);
        control->setAccessibleDescription(what);
    }
}

void Form1::connectEvents()
{
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(Drive1, &QComboBox::activated, this, &Form1::Drive1_Change);
    connect(Dir1, &DirListBox::pathChanged, this, &Form1::Dir1_Change);
    connect(File1, &FileListBox::entryClicked, this, &Form1::File1_Click);
    connect(File2, &FileListBox::entryClicked, this, &Form1::File2_Click);
    connect(File1, &FileListBox::previewRequested, this,
        [this](const FolderListing::Entry& entry, const std::filesystem::path& folder) {
            preview(entry, folder, Module1::Conversion::Alignment);
        });
    connect(File2, &FileListBox::previewRequested, this,
        [this](const FolderListing::Entry& entry, const std::filesystem::path& folder) {
            preview(entry, folder, Module1::Conversion::Profile);
        });
    // Tells how a read under way is going, and when its medium has stopped answering.
    m_watch = new QTimer(this);
    m_watch->setInterval(250);
    connect(m_watch, &QTimer::timeout, this, &Form1::watchRead);
}

void Form1::startReading()
{
    // The lists start from the process's current drive and folder by themselves, once they
    // have been read; until then the window is up, empty, and says that it reads.
    const std::uint64_t generation = ++m_generation;
    newestRequest = generation;
    setStatus(QStringLiteral("Læser drevene …"));
    Background::run<Start>(
        this,
        [] {
            Start start;
            start.drives = Drives::list();
            const std::lock_guard lock(folderChange);
            start.here = Drives::currentFolder();
            return start;
        },
        [this, generation](Start start) {
            if (generation == m_generation)
                started(std::move(start));
        });
}

void Form1::started(Start start)
{
    m_started = true;
    for (const Drives::Drive& drive : start.drives) {
        Drive1->addItem(drive.display());
        m_driveRoots.push_back(drive.root);
    }
    Form_Load(start.here);
    if (start.here.empty()) {
        setStatus(QString());
        return;
    }
    requestFolder(start.here, {});
}

Form1::~Form1()
{
    if (currentWindow == this)
        currentWindow = nullptr;
}

Form1* Form1::current() { return currentWindow; }

bool Form1::isBusy() const
{
    // A read whose medium has been reported as not answering is no longer waited for; its
    // answer is still taken should it come.
    return (m_reading && !m_unansweredReported) || !m_converting.empty() || m_loadingPreviews > 0
        || m_startingHelp > 0 || !m_started;
}

void Form1::setHelpLauncher(Launcher launcher)
{
    helpLauncher = launcher ? std::move(launcher) : Launcher(startDetached);
}

void Form1::setHelpOpener(Opener opener)
{
    helpOpener = opener ? std::move(opener) : Opener(openWithAssociatedProgram);
}

QString Form1::helpProgram() { return helpPrograms().value(0); }
void Form1::setErrorReporter(Reporter reporter) { errorReporter = std::move(reporter); }

QMessageBox* Form1::errorBox(QWidget* window, int number, const QString& description)
{
    // A name may hold characters that would rewrite the box: they are shown as escapes.
    const QString text
        = QStringLiteral("Fejl %1\n\n%2")
              .arg(number)
              .arg(QString::fromStdString(visiblyEscaped(description.toStdString())));
    auto* box = new QMessageBox(QMessageBox::Critical, QStringLiteral("Sigtelinje"),
        wrappable(text), QMessageBox::Ok, window);
    box->setTextFormat(Qt::PlainText);
    // The shown text holds break marks; a screen reader gets it as written.
    box->setAccessibleName(QStringLiteral("Sigtelinje: Fejl %1").arg(number));
    box->setAccessibleDescription(text);
    return box;
}

QString Form1::helpArgument()
{
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath()) + QDir::separator()
        + QStringLiteral("hlp.rtf");
}

void Form1::Form_Load(const std::filesystem::path& here) { Text1->setText(shown(here)); }

namespace {

// What pressing "Hjælp" came to: nothing to tell when a viewer started, else what was tried.
struct HelpStarted {
    bool started = false;
    QString document;
    QStringList tried;
};

// Runs on a worker: looking a program up and starting it reads the disk, and the program or
// the document may lie on a medium that does not answer.
HelpStarted startHelp(const Form1::Launcher& launcher, const Form1::Opener& opener)
{
    // The path goes as one argument, never through a shell, so blanks and
    // quotes in the program's folder are harmless.
    HelpStarted help;
    help.document = Form1::helpArgument();
    for (const QString& program : Form1::helpPrograms()) {
        if (QDir::isAbsolutePath(program) && !Form1::isSystemProgram(program)) {
            help.tried << QStringLiteral("%1 (ikke i en af systemets programmapper)").arg(program);
            continue;
        }
        if (QDir::isAbsolutePath(program) && !QFileInfo::exists(program)) {
            help.tried << QStringLiteral("%1 (findes ikke)").arg(program);
            continue;
        }
        if ((help.started = launcher(program, { help.document })))
            return help;
        help.tried << QStringLiteral("%1 (kunne ikke startes)").arg(program);
    }
    const QString association = Form1::helpAssociationName();
    if (!association.isEmpty()) {
        if ((help.started = opener(help.document)))
            return help;
        help.tried << QStringLiteral("%1 (kunne ikke startes)").arg(association);
    }
    return help;
}

}

void Form1::Command1_Click()
{
    // Only the newest press is answered: an older one that failed after it says nothing.
    const std::uint64_t request = ++m_helpRequest;
    ++m_startingHelp;
    Background::run<HelpStarted>(
        this,
        [launcher = helpLauncher, opener = helpOpener] { return startHelp(launcher, opener); },
        [this, request](HelpStarted help) {
            --m_startingHelp;
            if (help.started || request != m_helpRequest)
                return;
            report(GsiError::FileNotFound,
                QStringLiteral("Hjælpen kunne ikke vises: %1 kunne ikke åbnes. Prøvet: %2")
                    .arg(help.document, help.tried.join(QStringLiteral("; "))));
        });
}

void Form1::Command2_Click()
{
    // Ends at once: no window is asked whether it may close.
    QCoreApplication::exit(0);
}

int Form1::driveIndex(const std::filesystem::path& root) const
{
    const auto found = std::find(m_driveRoots.begin(), m_driveRoots.end(), root);
    return found == m_driveRoots.end() ? -1 : int(found - m_driveRoots.begin());
}

void Form1::showDrive(const std::filesystem::path& root)
{
    if (driveIndex(root) < 0) {
        Drive1->addItem(NativePath::shown(root));
        m_driveRoots.push_back(root);
    }
    Drive1->setCurrentIndex(driveIndex(root));
    m_shownDrive = root;
}

void Form1::Drive1_Change()
{
    const int index = Drive1->currentIndex();
    if (index < 0 || std::size_t(index) >= m_driveRoots.size())
        return;
    const std::filesystem::path chosen = m_driveRoots[std::size_t(index)];
    if (chosen == m_shownDrive && !m_reading)
        return;
    m_written.clear();
    requestFolder({}, chosen);
}

void Form1::Dir1_Change(const std::filesystem::path& path)
{
    m_written.clear();
    requestFolder(path, {});
}

void Form1::requestFolder(const std::filesystem::path& folder, const std::filesystem::path& drive)
{
    const std::uint64_t generation = ++m_generation;
    newestRequest = generation;
    m_reading = true;
    m_readFolder = folder;
    m_readDrive = drive;
    m_readProgress = std::make_shared<std::atomic<int>>(0);
    m_lastProgress = -1;
    m_lastAnswer = std::chrono::steady_clock::now();
    m_unansweredReported = false;
    m_watch->start();
    showBusy();
    // The work owns copies of all it needs: on a drive that does not answer it outlives the
    // request, and possibly this window.
    Background::run<Listing>(
        this,
        [generation, folder, drive, progress = m_readProgress, alignment = File1->pattern(),
            profile = File2->pattern()] {
            Listing read;
            read.generation = generation;
            read.folder = folder;
            try {
                readFolder(read, drive, alignment, profile, *progress);
            } catch (const GsiError& error) {
                read.error = error;
            }
            return read;
        },
        [this](Listing listing) { folderRead(std::move(listing)); });
}

void Form1::watchRead()
{
    if (!m_reading) {
        m_watch->stop();
        return;
    }
    // A read that goes on making progress is a slow folder, not a dead drive: it goes on, and
    // says how far it has come.
    const int progress = m_readProgress->load();
    const auto now = std::chrono::steady_clock::now();
    if (progress != m_lastProgress) {
        m_lastProgress = progress;
        m_lastAnswer = now;
        showBusy();
        return;
    }
    if (m_unansweredReported || now - m_lastAnswer < Background::answerTime())
        return;
    // Told once; should the medium answer later, and the user has not moved on, the lists
    // still fill.
    m_unansweredReported = true;
    const std::filesystem::path folder = m_readFolder.empty() ? m_readDrive : m_readFolder;
    const QString root = shown(m_readDrive.empty() ? folder.root_path() : m_readDrive);
    setStatus(QStringLiteral("Drevet %1 svarer ikke").arg(root));
    if (!m_readDrive.empty())
        Drive1->setCurrentIndex(driveIndex(m_shownDrive));
    report(GsiError::DeviceUnavailable,
        QStringLiteral("Enheden er ikke tilgængelig: drevet %1 svarer ikke (mappen %2)")
            .arg(root, shown(folder)));
}

void Form1::folderRead(Listing listing)
{
    if (listing.generation != m_generation)
        return; // the user has moved on
    m_reading = false;
    m_watch->stop();
    setStatus(m_converting.empty() ? m_written : m_status);
    if (listing.error) {
        // Nothing has moved: the drive and folder the user came from stay.
        Drive1->setCurrentIndex(driveIndex(m_shownDrive));
        if (!m_unansweredReported || listing.error->number() != GsiError::DeviceUnavailable)
            report(listing.error->number(), description(*listing.error));
        return;
    }
    const std::filesystem::path folder = listing.folder;
    showFolder(folder, std::move(listing));
}

void Form1::showFolder(const std::filesystem::path& folder, Listing listing)
{
    // A folder on another drive (a stick mounted inside this one) makes that
    // drive the shown one, as choosing it in Drive1 would.
    showDrive(listing.drive);
    m_shownFolder = folder;
    Text1->setText(shown(folder));
    Dir1->showPath(folder, listing.drive, std::move(listing.folders));
    File1->setFolder(Dir1->path(), std::move(listing.alignment));
    File2->setFolder(Dir1->path(), std::move(listing.profile));
}

void Form1::File1_Click(const FolderListing::Entry& entry, const std::filesystem::path& folder)
{
    convert(File1, entry, folder, Module1::Conversion::Alignment);
}

void Form1::File2_Click(const FolderListing::Entry& entry, const std::filesystem::path& folder)
{
    convert(File2, entry, folder, Module1::Conversion::Profile);
}

void Form1::convert(FileListBox* list, const FolderListing::Entry& entry,
    const std::filesystem::path& folder, Module1::Conversion kind)
{
    // The names go to the conversion as the file system holds them: the entry the user acted
    // on, in the folder its list showed then.
    const std::filesystem::path input = Module1::inputPathFor(folder, entry.name);
    const std::filesystem::path name = entry.name;
    if (std::find(m_converting.begin(), m_converting.end(), input) != m_converting.end())
        return; // a second click on a file still being converted asks nothing new
    m_converting.push_back(input);
    list->markPending(entry.name, true);
    setStatus(QStringLiteral("Konverterer %1 …").arg(entry.shown));
    using Done = std::pair<Module1::Result, std::filesystem::path>;
    Background::run<Done>(
        this,
        [kind, folder, name] {
            const std::filesystem::path where = folderOfEntry(folder);
            return Done(Module1::convertFile(kind, Module1::inputPathFor(where, name)), where);
        },
        [this, list, input, folder](Done done) {
            // The lists are read again unless the user has moved on meanwhile.
            converted(list, input, done.first, folder == m_shownFolder ? done.second : "");
        });
}

void Form1::converted(FileListBox* list, const std::filesystem::path& input,
    const Module1::Result& result, const std::filesystem::path& folder)
{
    m_converting.erase(std::find(m_converting.begin(), m_converting.end(), input));
    list->markPending(input.filename(), false);
    if (!result.ok()) {
        // Nothing was written and the window stays; clearing the selection lets
        // the user click the same file again once the cause is mended.
        setStatus(QString());
        list->clearSelection();
        report(result.error, QString::fromStdString(result.description));
        return;
    }
    // The window reads its folder again, in place, so the new file is listed; the focus goes
    // to the drive list as in a window opened afresh, and the window tells what it wrote.
    m_written = QStringLiteral("Skrevet: %1").arg(shown(result.output));
    setStatus(m_written);
    list->clearSelection();
    if (!m_reading && !folder.empty())
        requestFolder(folder, {});
    Drive1->setFocus();
}

void Form1::preview(const FolderListing::Entry& entry, const std::filesystem::path& folder,
    Module1::Conversion kind)
{
    struct Loaded {
        std::optional<RoadModel::Preview> preview;
        std::optional<GsiError> error;
    };
    const std::filesystem::path path = Module1::inputPathFor(folder, entry.name);
    ++m_loadingPreviews;
    showBusy();
    Background::run<Loaded>(
        this,
        [kind, folder, path] {
            Loaded loaded;
            try {
                loaded.preview = RoadModel::load(
                    kind, Module1::inputPathFor(folderOfEntry(folder), path.filename()));
            } catch (const GsiError& error) {
                loaded.error = error;
            } catch (const std::bad_alloc&) {
                loaded.error = GsiError(GsiError::OutOfMemory,
                    "Der er ikke hukommelse nok til at vise " + shownPath(path));
            }
            return loaded;
        },
        [this, title = entry.shown, folder](Loaded loaded) {
            --m_loadingPreviews;
            showBusy();
            if (loaded.error) {
                report(loaded.error->number(), description(*loaded.error));
                return;
            }
            // Its own window, which stays open however this one changes.
            auto* window = new PreviewWindow(std::move(*loaded.preview), title,
                [](QWidget* parent, int number, const QString& text) {
                    errorReporter(parent, number, text);
                });
            window->setSaveFolder(NativePath::toText(folder));
            window->show();
            window->activateWindow();
        });
}

void Form1::setStatus(const QString& text)
{
    // In the title bar, so the layout stays as it is; and in the drive list's description,
    // which a screen reader reads when the focus comes back to it after a conversion.
    m_status = text;
    setWindowTitle(text.isEmpty() ? QStringLiteral("Sigtelinje")
                                  : QStringLiteral("Sigtelinje – %1").arg(text));
    Drive1->setAccessibleDescription(text.isEmpty()
            ? QStringLiteral("Drev: vælger drevet")
            : QStringLiteral("Drev: vælger drevet. %1").arg(text));
    if (!text.isEmpty()) {
        QAccessibleEvent event(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&event);
    }
}

void Form1::showBusy()
{
    if (m_reading) {
        const int read = m_readProgress ? m_readProgress->load() : 0;
        const std::filesystem::path folder = m_readFolder.empty() ? m_readDrive : m_readFolder;
        setStatus(read > 0 ? QStringLiteral("Læser %1 … (%2 poster)").arg(shown(folder)).arg(read)
                           : QStringLiteral("Læser %1 …").arg(shown(folder)));
    }
    const bool busy = m_reading || m_loadingPreviews > 0;
    for (QWidget* list : { static_cast<QWidget*>(Dir1), static_cast<QWidget*>(File1),
             static_cast<QWidget*>(File2) }) {
        QWidget* area = static_cast<QAbstractScrollArea*>(list)->viewport();
        if (busy)
            area->setCursor(Qt::BusyCursor);
        else if (list == Dir1)
            area->unsetCursor();
    }
    if (!busy) {
        File1->markPending({}, false);
        File2->markPending({}, false);
    }
}

void Form1::report(int number, const QString& description)
{
    errorReporter(this, number, description);
}
