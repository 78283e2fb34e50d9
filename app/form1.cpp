// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "form1.h"

#include "drives.h"
#include "folderlisting.h"
#include "gsierror.h"
#include "listboxes.h"
#include "module1.h"
#include "nativepath.h"
#include "offthread.h"
#include "previewwindow.h"
#include "roadmodel.h"

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
#include <new>
#include <optional>
#include <tuple>

namespace {

Form1 *currentWindow = nullptr;

QString description(const GsiError &error) {
  return QString::fromStdString(error.description());
}

QString shown(const std::filesystem::path &path) {
  return NativePath::shown(path);
}

// The viewer starts in its own folder (this program's, for one found by name),
// never in the folder being browsed, which may be a share where anyone can put
// a DLL.
bool startDetached(const QString &program, const QStringList &arguments) {
  const QString folder = QDir::isAbsolutePath(program)
                             ? QFileInfo(program).absolutePath()
                             : QCoreApplication::applicationDirPath();
  return QProcess::startDetached(program, arguments, folder);
}

Form1::Launcher helpLauncher = startDetached;
Form1::Opener helpOpener = Form1::openWithAssociatedProgram;

Form1::Reporter errorReporter = [](QWidget *window, int number,
                                   const QString &description) {
  const std::unique_ptr<QMessageBox> box(
      Form1::errorBox(window, number, description));
  box->exec();
};

// A message label wraps only where a line may break, so a long folder or file
// name, which has no blanks, ran past the box's edge and was cut. A zero-width
// space after every path separator, and every few characters inside a long
// part, lets the name wrap there instead.
QString wrappable(const QString &text) {
  constexpr int longestUnbroken = 32;
  const QChar zeroWidthSpace(0x200B);
  QString result;
  result.reserve(text.size() + text.size() / 8);
  int unbroken = 0;
  for (const QChar c : text) {
    result.append(c);
    if (c.isSpace() || c == zeroWidthSpace) {
      unbroken = 0;
    } else if (c == u'/' || c == u'\\' || ++unbroken >= longestUnbroken) {
      result.append(zeroWidthSpace);
      unbroken = 0;
    }
  }
  return result;
}

// A plain top-level widget is a "filler" to a screen reader, which then does
// not say which window it is in; the main window is a window.
QAccessibleInterface *windowAccessible(const QString &key, QObject *object) {
  if (key == QLatin1String("Form1") && object && object->isWidgetType())
    return new QAccessibleWidget(static_cast<QWidget *>(object),
                                 QAccessible::Window);
  return nullptr;
}

// The window's geometry is laid out in twips, 15 to the pixel.
QRect twips(int left, int top, int width, int height) {
  return {left / 15, top / 15, width / 15, height / 15};
}

// "MS Sans Serif" is a bitmap font on Windows and under Wine (sserife.fon): one
// weight at a few fixed sizes, so 9.75 points and bold cannot be drawn with it,
// and Qt lists no bitmap fonts at all. Where no scalable font of that name is
// installed, the nearest sans-serif takes its place at the same sizes and
// weights: Microsoft Sans Serif, its TrueType successor on every Windows (bold
// drawn by the font engine), then the metric twin of Arial, Arial, DejaVu Sans.
QString windowFontFamily() {
  static const QString family = [] {
    for (const char *name : {"MS Sans Serif", "Microsoft Sans Serif",
                             "Liberation Sans", "Arial", "DejaVu Sans"}) {
      const QString candidate = QString::fromLatin1(name);
      if (QFontDatabase::hasFamily(candidate) &&
          QFontDatabase::isSmoothlyScalable(candidate))
        return candidate;
    }
    return QStringLiteral("MS Sans Serif");
  }();
  return family;
}

QFont sansSerif(qreal points, bool bold) {
  QFont font(windowFontFamily());
  font.setStyleHint(QFont::SansSerif);
  font.setPointSizeF(points);
  font.setBold(bold);
  return font;
}

// Lists and fields in the pale tooltip colour; Text1 keeps black text even
// though it is disabled.
void paintTooltipBackground(QWidget *widget, bool blackText = false) {
  QPalette palette = widget->palette();
  const QColor background = palette.color(QPalette::ToolTipBase);
  for (auto group :
       {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    palette.setColor(group, QPalette::Base, background);
    palette.setColor(group, QPalette::Button, background);
    if (blackText)
      palette.setColor(group, QPalette::Text, Qt::black);
  }
  widget->setPalette(palette);
  widget->setAutoFillBackground(true);
}

QGroupBox *frame(QWidget *parent, const QString &caption, QRect geometry,
                 const QFont &font) {
  auto *box = new QGroupBox(caption, parent);
  box->setGeometry(geometry);
  box->setFont(font);
  box->setFocusPolicy(Qt::NoFocus);
  return box;
}

QPushButton *button(QWidget *parent, const QString &caption, QRect geometry,
                    const QFont &font) {
  auto *push = new QPushButton(caption, parent);
  push->setGeometry(geometry);
  push->setFont(font);
  push->setAutoDefault(false);
  push->setDefault(false);
  return push;
}

} // namespace

// One folder as the three lists show it, read together away from the window's
// thread.
struct Form1::Listing {
  std::filesystem::path folder; // the folder read, which a drive change chooses
  std::optional<GsiError> error; // why the folder could not be shown
  bool superseded =
      false; // the user asked for something else while it was read
  std::vector<FolderListing::Entry> folders, alignment, profile;
};

Form1::Form1(QWidget *parent) : QWidget(parent) {
  static const bool factoryInstalled =
      (QAccessible::installFactory(windowAccessible), true);
  Q_UNUSED(factoryInstalled);
  setWindowTitle(QStringLiteral("Sigtelinje"));
  setWindowIcon(QIcon(QStringLiteral(":/logo.png")));
  setFont(sansSerif(9.75, true));
  setFixedSize(11955 / 15, 6930 / 15);

  const QFont small = sansSerif(8.25, false);
  const QFont regular = sansSerif(9.75, false);

  Frame1 =
      frame(this, QStringLiteral("Mappe"), twips(240, 6000, 11775, 735), small);
  Text1 = new QLineEdit(Frame1);
  Text1->setGeometry(twips(120, 240, 11415, 375));
  Text1->setFont(font());
  Text1->setEnabled(false);
  paintTooltipBackground(Text1, true);

  Drive1 = new QComboBox(this);
  Drive1->setGeometry(twips(240, 240, 3375, 360));
  Drive1->setFont(regular);
  paintTooltipBackground(Drive1);

  Command2 = button(this, QStringLiteral("Exit"), twips(10200, 240, 1455, 375),
                    sansSerif(12, true));

  Picture1 = new PictureBox(QPixmap(QStringLiteral(":/logo.png")), this);
  Picture1->setGeometry(twips(10200, 840, 1455, 1455));

  Label1 = new QLabel(QStringLiteral("Sigtelinje\nversion %1")
                          .arg(QStringLiteral(SIGTELINJE_VERSION)),
                      this);
  Label1->setGeometry(twips(10200, 2400, 1455, 495));
  Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Label1->setFocusPolicy(Qt::NoFocus);

  Frame3 = frame(this, QStringLiteral("Mappe"), twips(240, 600, 3375, 5295),
                 regular);
  Dir1 = new DirListBox(Frame3);
  Dir1->setGeometry(twips(120, 360, 3135, 4680));
  Dir1->setFont(regular);
  paintTooltipBackground(Dir1);

  Frame4 = frame(this, QStringLiteral("GSI Alignment filer"),
                 twips(3720, 120, 3135, 5775), regular);
  File1 = new FileListBox(QStringLiteral("al*.gsi"), Frame4);
  File1->setGeometry(twips(120, 360, 2895, 5130));
  File1->setFont(regular);
  paintTooltipBackground(File1);

  Frame5 = frame(this, QStringLiteral("GSI Profil filer"),
                 twips(6960, 120, 3135, 5775), regular);
  File2 = new FileListBox(QStringLiteral("pr*.gsi"), Frame5);
  File2->setGeometry(twips(120, 360, 2895, 5130));
  File2->setFont(regular);
  paintTooltipBackground(File2);

  Command1 = button(this, QStringLiteral("Hjælp"),
                    twips(10200, 3000, 1455, 375), font());

  setTabOrder(Drive1, Command2);
  setTabOrder(Command2, Picture1);
  setTabOrder(Picture1, Dir1);
  setTabOrder(Dir1, File1);
  setTabOrder(File1, File2);
  setTabOrder(File2, Command1);

  // What a screen reader says for each control: the caption beside it, and what
  // it does.
  const QString chooses =
      QStringLiteral("Konverterer den valgte fil: klik på en fil, eller "
                     "flyt med piletasterne og tryk Enter eller mellemrum");
  const QList<std::tuple<QWidget *, QString, QString>> spoken{
      {Drive1, QStringLiteral("Drev"), QStringLiteral("Drev: vælger drevet")},
      {Command2, Command2->text(), QStringLiteral("Afslutter Sigtelinje")},
      {Picture1, QStringLiteral("Sigtelinje logo"),
       Label1->text().replace(u'\n', u' ')},
      {Dir1, Frame3->title(),
       QStringLiteral(
           "Mapperne på drevet; dobbeltklik eller Enter åbner den fremhævede")},
      {File1, Frame4->title(), chooses},
      {File2, Frame5->title(), chooses},
      {Command1, Command1->text(), QStringLiteral("Viser hjælpen")},
      {Text1, Frame1->title(), QStringLiteral("Den åbne mappes fulde sti")},
  };
  for (const auto &[control, name, what] : spoken) {
    control->setAccessibleName(name);
    control->setAccessibleDescription(what);
  }

  // The lists start from the process's current drive and folder by themselves.
  const std::filesystem::path here = Drives::currentFolder();
  for (const Drives::Drive &drive : Drives::list()) {
    Drive1->addItem(drive.display());
    m_driveRoots.push_back(drive.root);
  }
  Listing listing = read(here, {});
  if (listing.error && !here.empty())
    // Told once the window is up; the lists stay empty meanwhile.
    QTimer::singleShot(0, this, [this, error = *listing.error] {
      report(error.number(), description(error));
    });
  showFolder(here, std::move(listing));

  connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
  connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
  connect(Drive1, &QComboBox::activated, this, &Form1::Drive1_Change);
  connect(Dir1, &DirListBox::pathChanged, this, &Form1::Dir1_Change);
  connect(File1, &FileListBox::entryClicked, this, &Form1::File1_Click);
  connect(File2, &FileListBox::entryClicked, this, &Form1::File2_Click);
  connect(File1, &FileListBox::previewRequested, this, [this](int row) {
    preview(File1, row, Module1::Conversion::Alignment);
  });
  connect(File2, &FileListBox::previewRequested, this, [this](int row) {
    preview(File2, row, Module1::Conversion::Profile);
  });

  Form_Load();
  Drive1->setFocus();

  currentWindow = this;
}

Form1::~Form1() {
  if (currentWindow == this)
    currentWindow = nullptr;
}

Form1 *Form1::current() { return currentWindow; }

void Form1::reopen() {
  Form1 *old = currentWindow;
  auto *fresh = new Form1;
  fresh->setAttribute(Qt::WA_DeleteOnClose);
  if (old)
    fresh->move(old->pos());
  fresh->show();
  fresh->activateWindow();
  if (old) {
    // Closing from inside the old window's own click: let Qt delete it
    // once the click has returned.
    old->setAttribute(Qt::WA_DeleteOnClose);
    old->close();
  }
}

void Form1::setHelpLauncher(Launcher launcher) {
  helpLauncher = launcher ? std::move(launcher) : Launcher(startDetached);
}

void Form1::setHelpOpener(Opener opener) {
  helpOpener = opener ? std::move(opener) : Opener(openWithAssociatedProgram);
}

QString Form1::helpProgram() { return helpPrograms().value(0); }
void Form1::setErrorReporter(Reporter reporter) {
  errorReporter = std::move(reporter);
}

QMessageBox *Form1::errorBox(QWidget *window, int number,
                             const QString &description) {
  const QString text =
      QStringLiteral("Fejl %1\n\n%2").arg(number).arg(description);
  auto *box =
      new QMessageBox(QMessageBox::Critical, QStringLiteral("Sigtelinje"),
                      wrappable(text), QMessageBox::Ok, window);
  box->setTextFormat(Qt::PlainText);
  // The shown text holds break marks; a screen reader gets it as written.
  box->setAccessibleName(QStringLiteral("Sigtelinje: Fejl %1").arg(number));
  box->setAccessibleDescription(text);
  return box;
}

QString Form1::helpArgument() {
  return QDir::toNativeSeparators(QCoreApplication::applicationDirPath()) +
         QDir::separator() + QStringLiteral("hlp.rtf");
}

void Form1::Form_Load() {
  Text1->setText(NativePath::shown(Drives::currentFolder()));
}

void Form1::Command1_Click() {
  // The path goes as one argument, never through a shell, so blanks and
  // quotes in the program's folder are harmless.
  const QString document = helpArgument();
  QStringList tried;
  for (const QString &program : helpPrograms()) {
    if (QDir::isAbsolutePath(program) && !isSystemProgram(program)) {
      tried << QStringLiteral("%1 (ikke i en af systemets programmapper)")
                   .arg(program);
      continue;
    }
    if (QDir::isAbsolutePath(program) && !QFileInfo::exists(program)) {
      tried << QStringLiteral("%1 (findes ikke)").arg(program);
      continue;
    }
    if (helpLauncher(program, {document}))
      return;
    tried << QStringLiteral("%1 (kunne ikke startes)").arg(program);
  }
  const QString association = helpAssociationName();
  if (!association.isEmpty()) {
    if (helpOpener(document))
      return;
    tried << QStringLiteral("%1 (kunne ikke startes)").arg(association);
  }
  report(GsiError::FileNotFound,
         QStringLiteral(
             "Hjælpen kunne ikke vises: %1 kunne ikke åbnes. Prøvet: %2")
             .arg(document, tried.join(QStringLiteral("; "))));
}

void Form1::Command2_Click() {
  // Ends at once: no window is asked whether it may close.
  QCoreApplication::exit(0);
}

int Form1::driveIndex(const std::filesystem::path &root) const {
  const auto found = std::find(m_driveRoots.begin(), m_driveRoots.end(), root);
  return found == m_driveRoots.end() ? -1 : int(found - m_driveRoots.begin());
}

void Form1::showDrive(const std::filesystem::path &root) {
  if (driveIndex(root) < 0) {
    Drive1->addItem(NativePath::shown(root));
    m_driveRoots.push_back(root);
  }
  Drive1->setCurrentIndex(driveIndex(root));
  m_shownDrive = root;
}

void Form1::Drive1_Change() {
  const int index = Drive1->currentIndex();
  if (index < 0 || std::size_t(index) >= m_driveRoots.size())
    return;
  const std::filesystem::path chosen = m_driveRoots[std::size_t(index)];
  if (chosen == m_shownDrive)
    return;
  const QPointer<Form1> alive(this);
  Listing listing = read(Drives::currentFolderOf(chosen), chosen);
  if (!alive || listing.superseded)
    return;
  if (!listing.error) {
    try {
      Drives::makeCurrentFolder(listing.folder);
    } catch (const GsiError &error) {
      listing.error = error;
    }
  }
  if (listing.error) {
    // Nothing has moved: the drive and folder the user came from stay.
    Drive1->setCurrentIndex(driveIndex(m_shownDrive));
    report(listing.error->number(), description(*listing.error));
    return;
  }
  const std::filesystem::path folder = listing.folder;
  showFolder(folder, std::move(listing));
  m_shownDrive = chosen;
}

void Form1::Dir1_Change(const std::filesystem::path &path) {
  const QPointer<Form1> alive(this);
  Listing listing = read(path, {});
  if (!alive || listing.superseded)
    return;
  if (!listing.error) {
    try {
      Drives::makeCurrentFolder(path);
    } catch (const GsiError &error) {
      listing.error = error;
    }
  }
  if (listing.error) {
    report(listing.error->number(), description(*listing.error));
    return;
  }
  showFolder(path, std::move(listing));
}

Form1::Listing Form1::read(const std::filesystem::path &folder,
                           const std::filesystem::path &drive) const {
  // The work owns copies of all it needs: on a drive that does not answer it
  // outlives the wait, and possibly this window.
  auto result = std::make_shared<Listing>();
  const QString alignmentPattern = File1->pattern();
  const QString profilePattern = File2->pattern();
  const auto work = [result, folder, drive, alignmentPattern, profilePattern] {
    using FolderListing::Failure;
    using FolderListing::Kind;
    Listing read;
    read.folder = folder;
    try {
      if (!drive.empty()) {
        Drives::checkDrive(drive);
        // A drive's folder that has gone since makes the drive start at its
        // root.
        std::error_code error;
        if (!std::filesystem::is_directory(folder, error))
          read.folder = drive;
      }
    } catch (const GsiError &error) {
      read.error = error;
      *result = std::move(read);
      return;
    }
    Failure failure = Failure::None;
    read.folders =
        FolderListing::list(read.folder, Kind::Folders, {}, &failure);
    if (failure == Failure::None)
      read.alignment = FolderListing::list(read.folder, Kind::Files,
                                           alignmentPattern, &failure);
    if (failure == Failure::None)
      read.profile = FolderListing::list(read.folder, Kind::Files,
                                         profilePattern, &failure);
    const QString name = shown(read.folder);
    switch (failure) {
    case Failure::None:
      break;
    case Failure::Gone:
      read.error = GsiError(
          GsiError::PathNotFound,
          QStringLiteral("Mappen findes ikke: %1").arg(name).toStdString());
      break;
    case Failure::NoAccess:
      read.error = GsiError(
          GsiError::PermissionDenied,
          QStringLiteral("Ingen adgang til mappen %1").arg(name).toStdString());
      break;
    case Failure::NotAnswering:
      read.error =
          GsiError(GsiError::DeviceUnavailable,
                   QStringLiteral(
                       "Enheden er ikke tilgængelig: mappen %1 kan ikke læses")
                       .arg(name)
                       .toStdString());
      break;
    case Failure::NotReady:
      read.error = GsiError(GsiError::DiskNotReady,
                            QStringLiteral("Drevet med mappen %1 er ikke klar")
                                .arg(name)
                                .toStdString());
      break;
    case Failure::IoError:
      read.error =
          GsiError(GsiError::DeviceIoError,
                   QStringLiteral("Mappen %1 kan ikke læses (I/O-fejl)")
                       .arg(name)
                       .toStdString());
      break;
    }
    *result = std::move(read);
  };
  switch (OffThread::run(work, OffThread::answerTime())) {
  case OffThread::Outcome::Done:
    return std::move(*result);
  case OffThread::Outcome::Superseded: {
    Listing superseded;
    superseded.superseded = true;
    return superseded;
  }
  case OffThread::Outcome::TimedOut:
    break;
  }
  const std::filesystem::path root =
      drive.empty() ? Drives::driveOf(folder) : drive;
  Listing unanswered;
  unanswered.folder = folder;
  unanswered.error = GsiError(
      GsiError::DeviceUnavailable,
      QStringLiteral(
          "Enheden er ikke tilgængelig: drevet %1 svarer ikke (mappen %2)")
          .arg(shown(root), shown(folder))
          .toStdString());
  return unanswered;
}

void Form1::showFolder(const std::filesystem::path &folder, Listing listing) {
  // A folder on another drive (a stick mounted inside this one) makes that
  // drive the shown one, as choosing it in Drive1 would.
  showDrive(Drives::driveOf(folder));
  Text1->setText(shown(folder));
  Dir1->showPath(folder, std::move(listing.folders));
  File1->setFolder(Dir1->path(), std::move(listing.alignment));
  File2->setFolder(Dir1->path(), std::move(listing.profile));
}

void Form1::File1_Click(int row) {
  convert(File1, row, Module1::Conversion::Alignment);
}
void Form1::File2_Click(int row) {
  convert(File2, row, Module1::Conversion::Profile);
}

std::filesystem::path Form1::entryFolder(const FileListBox *list) {
  // When the shown folder has been deleted the system can no longer name the
  // current folder; the list's own folder is the one the user clicked in.
  std::filesystem::path folder = Drives::currentFolder();
  return folder.empty() ? list->folder() : folder;
}

void Form1::convert(FileListBox *list, int row, Module1::Conversion kind) {
  // The names go to the conversion as the file system holds them.
  const Module1::Result result = Module1::convertFile(
      kind, Module1::inputPathFor(entryFolder(list), list->nativeName(row)));
  if (!result.ok()) {
    // Nothing was written and the window stays; clearing the selection lets
    // the user click the same file again once the cause is mended.
    list->clearSelection();
    report(result.error, QString::fromStdString(result.description));
    return;
  }
  // The conversion is done and its file closed: the window comes back afresh,
  // still inside this click, and lists the new file.
  reopen();
}

void Form1::preview(FileListBox *list, int row, Module1::Conversion kind) {
  const std::filesystem::path folder = entryFolder(list);
  const std::filesystem::path path =
      Module1::inputPathFor(folder, list->nativeName(row));
  try {
    // Its own window, which stays open when this one is replaced after a
    // conversion.
    auto *window =
        new PreviewWindow(RoadModel::load(kind, path), list->item(row)->text(),
                          [](QWidget *parent, int number, const QString &text) {
                            errorReporter(parent, number, text);
                          });
    window->setSaveFolder(NativePath::toText(folder));
    window->show();
    window->activateWindow();
  } catch (const GsiError &error) {
    report(error.number(), description(error));
  } catch (const std::bad_alloc &) {
    report(7, QStringLiteral("Der er ikke hukommelse nok til at vise %1")
                  .arg(QString::fromStdString(shownPath(path))));
  }
}

void Form1::report(int number, const QString &description) {
  errorReporter(this, number, description);
}
