// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "previewwindow.h"

#include "background.h"
#include "folder.h"
#include "gsierror.h"
#include "outputfile.h"
#include "printing.h"
#include "roadpainter.h"

#include <QBuffer>
#include <QDate>
#include <QDir>
#include <QFileDialog>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>

namespace {

QString qs(const std::string& text) { return QString::fromStdString(text); }

// The size of an exported picture: large enough to print on a page, small enough to mail.
constexpr QSize ExportSize { 1600, 1200 };

QPushButton* button(const QString& text, const QString& name, QWidget* parent)
{
    auto* b = new QPushButton(text, parent);
    b->setAccessibleName(name);
    b->setAutoDefault(false);
    return b;
}

}

RoadView::RoadView(const RoadModel::Preview& preview, QWidget* parent)
    : QWidget(parent)
    , m_preview(preview)
{
    setMinimumSize(320, 240);
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(QStringLiteral("Tegning"));
    setAccessibleDescription(preview.kind == RoadModel::Kind::Alignment
            ? QStringLiteral("Linjeføringen set ovenfra, før og efter konverteringen")
            : QStringLiteral("Længdeprofilet, før og efter konverteringen"));
    setToolTip(QStringLiteral("Zoom: hjulet eller + og -; flyt: træk eller piletasterne; 0 viser "
                              "det hele"));
}

void RoadView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    RoadPainter::paint(painter, QRectF(rect()), m_preview, m_view);
    if (hasFocus()) {
        // The focus, visible: a frame inside the drawing's edge.
        painter.setPen(QPen(palette().color(QPalette::Highlight), 2, Qt::DashLine));
        painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
    }
}

void RoadView::zoomBy(double factor, QPointF about)
{
    const double zoom = std::clamp(m_view.zoom * factor, 0.25, 1000.0);
    factor = zoom / m_view.zoom;
    // The point under `about` stays where it is.
    const QPointF centre = RoadPainter::frameFor(m_preview, QRectF(rect())).plot.center();
    m_view.pan = (m_view.pan - (about - centre)) * factor + (about - centre);
    m_view.zoom = zoom;
    update();
}

void RoadView::wheelEvent(QWheelEvent* event)
{
    zoomBy(std::pow(1.2, event->angleDelta().y() / 120.0), event->position());
    event->accept();
}

void RoadView::mousePressEvent(QMouseEvent* event)
{
    m_dragFrom = event->position();
    setFocus(Qt::MouseFocusReason);
}

void RoadView::mouseMoveEvent(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton))
        return;
    m_view.pan += event->position() - m_dragFrom;
    m_dragFrom = event->position();
    update();
}

void RoadView::keyPressEvent(QKeyEvent* event)
{
    const QPointF centre = QRectF(rect()).center();
    const double step = std::min(width(), height()) / 8.0;
    switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        zoomBy(1.25, centre);
        break;
    case Qt::Key_Minus:
        zoomBy(0.8, centre);
        break;
    case Qt::Key_0:
        m_view = {};
        update();
        break;
    case Qt::Key_Left:
        m_view.pan.rx() += step;
        update();
        break;
    case Qt::Key_Right:
        m_view.pan.rx() -= step;
        update();
        break;
    case Qt::Key_Up:
        m_view.pan.ry() += step;
        update();
        break;
    case Qt::Key_Down:
        m_view.pan.ry() -= step;
        update();
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

PreviewWindow::PreviewWindow(
    RoadModel::Preview preview, const QString& fileName, Reporter reporter, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_preview(std::move(preview))
    , m_fileName(fileName)
    , m_reporter(std::move(reporter))
{
    setWindowTitle(QStringLiteral("Vis - %1").arg(fileName));
    setAccessibleName(QStringLiteral("Vis %1").arg(fileName));
    setAttribute(Qt::WA_DeleteOnClose);

    m_view = new RoadView(m_preview, this);

    m_summary = new QLabel(summaryText(), this);
    m_summary->setTextFormat(Qt::PlainText);
    m_summary->setWordWrap(true);
    m_summary->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    // Selectable with the mouse for copying; a screen reader reads it as the label's text, and
    // the keyboard passes it by, as a label shows no focus.
    m_summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_summary->setAccessibleName(QStringLiteral("Oversigt"));
    m_summary->setAccessibleDescription(m_summary->text());

    auto* listCaption = new QLabel(QStringLiteral("&Linjer der ikke kunne tegnes:"), this);
    m_undrawn = new QListWidget(this);
    listCaption->setBuddy(m_undrawn);
    m_undrawn->setAccessibleName(QStringLiteral("Linjer der ikke kunne tegnes"));
    m_undrawn->setAccessibleDescription(QStringLiteral("Dobbeltklik eller Enter viser linjen"));
    for (const RoadModel::Undrawn& u : m_preview.summary.undrawn)
        m_undrawn->addItem(
            QStringLiteral("%1 %2: %3")
                .arg(u.converted ? QStringLiteral("Konverteret linje") : QStringLiteral("Linje"))
                .arg(u.line)
                .arg(qs(u.reason)));
    // Double-click or Enter, whichever the style takes as opening an entry.
    connect(m_undrawn, &QListWidget::activated, this,
        [this](const QModelIndex& index) { showLine(index.row()); });
    connect(m_undrawn, &QListWidget::doubleClicked, this, [this](const QModelIndex& index) {
        if (!style()->styleHint(QStyle::SH_ItemView_ActivateItemOnSingleClick))
            return; // activated() has it already
        showLine(index.row());
    });

    auto* png = button(QStringLiteral("Gem som &PNG..."), QStringLiteral("Gem som PNG"), this);
    auto* pdf = button(QStringLiteral("Gem som P&DF..."), QStringLiteral("Gem som PDF"), this);
    auto* csv = button(
        QStringLiteral("Gem &stationer (CSV)..."), QStringLiteral("Gem stationer som CSV"), this);
    csv->setEnabled(
        m_preview.kind == RoadModel::Kind::Alignment && !m_preview.alignment.elements.empty());
    connect(csv, &QPushButton::clicked, this, &PreviewWindow::askStations);
    auto* printButton = button(QStringLiteral("&Udskriv..."), QStringLiteral("Udskriv"), this);
    auto* close = button(QStringLiteral("&Luk"), QStringLiteral("Luk"), this);
    printButton->setEnabled(Printing::available());
    connect(png, &QPushButton::clicked, this, &PreviewWindow::askPng);
    connect(pdf, &QPushButton::clicked, this, &PreviewWindow::askPdf);
    connect(printButton, &QPushButton::clicked, this, &PreviewWindow::print);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    m_exportStatus = new QLabel(this);
    m_exportStatus->setTextFormat(Qt::PlainText);
    m_exportStatus->setWordWrap(true);
    m_exportStatus->setAccessibleName(QStringLiteral("Eksport"));
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);

    auto* side = new QVBoxLayout;
    side->addWidget(m_summary);
    side->addWidget(listCaption);
    side->addWidget(m_undrawn, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(png);
    buttons->addWidget(pdf);
    buttons->addWidget(csv);
    buttons->addWidget(printButton);
    buttons->addWidget(close);
    side->addLayout(buttons);
    side->addWidget(m_exportStatus);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_view, 3);
    layout->addLayout(side, 2);

    setTabOrder(m_view, m_undrawn);
    setTabOrder(m_undrawn, png);
    setTabOrder(png, pdf);
    setTabOrder(pdf, csv);
    setTabOrder(csv, printButton);
    setTabOrder(printButton, close);
    // The focus starts where there is something to do, on an entry that shows its focus mark.
    if (m_undrawn->count() > 0) {
        m_undrawn->setCurrentRow(0);
        m_undrawn->setFocus();
    } else {
        png->setFocus();
    }
    // Within the screen at any scale: the room the screen has, less a margin for its frame.
    QSize size(1100, 640);
    if (const QScreen* screen = this->screen()) {
        const QSize room = screen->availableGeometry().size() * 9 / 10;
        size = size.boundedTo(room);
        setMinimumSize(minimumSize().boundedTo(room));
    }
    resize(size);
}

namespace {

// "1 cirkelbue", "2 cirkelbuer": each kind met, with its count.
QString elementsText(const RoadModel::Summary& s, bool plan)
{
    struct Name {
        Road::Kind kind;
        const char* one;
        const char* many;
    };
    static const Name names[] = {
        { Road::Kind::Straight, "retlinje", "retlinjer" },
        { Road::Kind::Curve, "cirkelbue", "cirkelbuer" },
        { Road::Kind::SpiralIn, "overgangskurve ind", "overgangskurver ind" },
        { Road::Kind::SpiralOut, "overgangskurve ud", "overgangskurver ud" },
        { Road::Kind::CurveIn, "overgangskurve mellem buer (ind)",
            "overgangskurver mellem buer (ind)" },
        { Road::Kind::CurveOut, "overgangskurve mellem buer (ud)",
            "overgangskurver mellem buer (ud)" },
        { Road::Kind::Parabola, "parabel", "parabler" },
        { Road::Kind::End, "slutpunkt (EOP)", "slutpunkter (EOP)" },
        { Road::Kind::Unknown, "ukendt", "ukendte" },
    };
    QStringList parts;
    for (const Name& n : names) {
        const int count = s.count(n.kind);
        if (count > 0)
            parts << QStringLiteral("%1 %2").arg(count).arg(
                QString::fromUtf8(count == 1 ? n.one : n.many));
    }
    return QStringLiteral("%1: %2").arg(
        plan ? QStringLiteral("Elementer") : QStringLiteral("Lodrette elementer"),
        parts.isEmpty() ? QStringLiteral("ingen") : parts.join(QStringLiteral(", ")));
}

QString findingsText(const RoadModel::Summary& s)
{
    const QString tolerances
        = QStringLiteral("tolerancer: længde og slutpunkt 2 mm, knæk 1 mm på 10 m, radius 10 mm");
    if (s.findings.empty())
        return QStringLiteral("Geometrikontrol: intet fundet (%1)").arg(tolerances);
    QStringList lines;
    lines << QStringLiteral("Geometrikontrol: %1 fund (%2)").arg(s.findings.size()).arg(tolerances);
    // The first ones; the check on the command line lists them all.
    constexpr std::size_t shown = 12;
    for (std::size_t k = 0; k < std::min(shown, s.findings.size()); ++k)
        lines << QStringLiteral("  ") + QString::fromStdString(s.findings[k].text);
    if (s.findings.size() > shown)
        lines << QStringLiteral("  … og %1 flere (sigtelinje-road check viser alle)")
                     .arg(s.findings.size() - shown);
    return lines.join(QLatin1Char('\n'));
}

}

QString PreviewWindow::summaryText() const
{
    const RoadModel::Summary& s = m_preview.summary;
    const bool plan = m_preview.kind == RoadModel::Kind::Alignment;
    QStringList lines;
    lines << QStringLiteral("Fil: %1").arg(m_fileName);
    lines << QStringLiteral("Linjer læst: %1").arg(s.linesRead);
    if (plan)
        lines << QStringLiteral("Linjer konverteringen udelader (74): %1").arg(s.dropped);
    lines << QStringLiteral("%1: %2")
                 .arg(plan ? QStringLiteral("Koordinatlinjer") : QStringLiteral("Profilpunkter"))
                 .arg(s.coordinateLines);
    lines << elementsText(s, plan);
    lines << findingsText(s);
    lines << RoadPainter::extentText(m_preview);
    QStringList units;
    for (const std::string& unit : s.units)
        units << qs(unit);
    lines << QStringLiteral("Enheder: %1")
                 .arg(units.isEmpty() ? QStringLiteral("ingen") : units.join(QStringLiteral(", ")));
    if (plan && (s.convertedShift.x != 0 || s.convertedShift.y != 0))
        // A direction and a distance, never a negative distance north.
        lines << QStringLiteral("Den konverterede linjeføring er flyttet %1 m mod %2 og %3 m mod "
                                "%4 for at begynde i samme punkt.")
                     .arg(qs(RoadModel::metres(std::abs(s.convertedShift.x))),
                         s.convertedShift.x < 0 ? QStringLiteral("vest") : QStringLiteral("øst"),
                         qs(RoadModel::metres(std::abs(s.convertedShift.y))),
                         s.convertedShift.y < 0 ? QStringLiteral("syd") : QStringLiteral("nord"));
    if (!s.profileName.empty())
        lines << QStringLiteral("Højder til stationerne fra: %1").arg(qs(s.profileName));
    if (!s.conversionError.empty())
        lines << QStringLiteral("Konverteringen afviser filen: %1").arg(qs(s.conversionError));
    lines << QStringLiteral("Linjer der ikke kunne tegnes: %1").arg(s.undrawn.size());
    return lines.join(QLatin1Char('\n'));
}

void PreviewWindow::showLine(int row)
{
    if (row < 0 || std::size_t(row) >= m_preview.summary.undrawn.size())
        return;
    const RoadModel::Undrawn& u = m_preview.summary.undrawn[std::size_t(row)];
    // The line's bytes as text; a byte that is not UTF-8 shows as a replacement mark. An
    // instrument's line is a few hundred characters; a prepared file's line of megabytes would
    // take a message box minutes and gigabytes to lay out, so only its start is shown.
    constexpr std::size_t Shown = 1000;
    const std::size_t size = std::min(u.text.size(), Shown);
    QString text = QString::fromUtf8(u.text.data(), qsizetype(size));
    if (size < u.text.size())
        text += QStringLiteral("…");
    auto* box = new QMessageBox(QMessageBox::Information, windowTitle(),
        QStringLiteral("%1 %2: %3\n\n%4")
            .arg(u.converted ? QStringLiteral("Konverteret linje") : QStringLiteral("Linje"))
            .arg(u.line)
            .arg(qs(u.reason), text),
        QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("lineBox"));
    box->setTextFormat(Qt::PlainText);
    // The line's columns line up as the file has them.
    if (auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label")))
        label->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    box->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    box->setAccessibleName(QStringLiteral("Linje %1").arg(u.line));
    box->setAccessibleDescription(text);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
    emit lineShown(text);
}

bool PreviewWindow::exportPng(const QString& path)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    try {
        if (!RoadPainter::image(m_preview, ExportSize).save(&buffer, "PNG"))
            throw GsiError(GsiError::OutOfMemory,
                "Billedet til " + shownPath(std::filesystem::path(path.toStdU16String()))
                    + " kunne ikke laves");
    } catch (const GsiError& error) {
        m_reporter(this, error.number(), qs(error.description()));
        return false;
    }
    startExport(path, bytes);
    return true;
}

bool PreviewWindow::exportPdf(const QString& path)
{
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setTitle(windowTitle());
        writer.setCreator(QStringLiteral("Sigtelinje"));
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageOrientation(QPageLayout::Landscape);
        writer.setResolution(150);
        QPainter painter(&writer);
        const RoadPainter::TitleBlock title { m_fileName,
            QDate::currentDate().toString(Qt::ISODate), writer.resolution() / 25.4 };
        RoadPainter::paint(
            painter, QRectF(0, 0, writer.width(), writer.height()), m_preview, {}, &title);
    }
    startExport(path, bytes);
    return true;
}

// Exports go through the program's one way of writing a file, with the mode rule of a
// conversion: the drawing shows the input's content, so it is given what the input's converted
// file would be given, and only beside the input. In any other folder, whose readers the input's
// folder may have kept out, it is its owner's alone.
std::optional<GsiError> PreviewWindow::writeExport(
    const std::filesystem::path& target, const RoadModel::Source& source, const QByteArray& bytes)
{
    try {
        const HeldFolder folder(target, true);
        FileOrigin origin = source.origin;
        if (!source.folder.known || folder.identity() != source.folder)
            origin.permissions &= 0600;
        OutputFile file(folder, target, origin);
        file.write(std::string_view(bytes.constData(), std::size_t(bytes.size())));
        file.commit();
    } catch (const GsiError& error) {
        return error;
    } catch (const std::bad_alloc&) {
        return GsiError(
            GsiError::OutOfMemory, "Der er ikke hukommelse nok til at gemme " + shownPath(target));
    }
    return std::nullopt;
}

void PreviewWindow::startExport(const QString& path, const QByteArray& bytes)
{
    const quint64 generation = ++m_exportGeneration;
    m_exportPending = true;
    m_exportStatus->setText(QStringLiteral("Gemmer %1 …").arg(QDir::toNativeSeparators(path)));
    m_exportStatus->setAccessibleDescription(m_exportStatus->text());
    // Busy, but every control still answers.
    setCursor(Qt::BusyCursor);
    const std::filesystem::path target(path.toStdU16String());
    Background::run<std::optional<GsiError>>(
        this,
        [target, source = m_preview.source, bytes] {
            return PreviewWindow::writeExport(target, source, bytes);
        },
        [this, generation, path](const std::optional<GsiError>& error) {
            if (generation == m_exportGeneration)
                exportDone(path, error);
        });
}

void PreviewWindow::exportDone(const QString& path, const std::optional<GsiError>& error)
{
    m_exportPending = false;
    unsetCursor();
    const QString shown = QDir::toNativeSeparators(path);
    m_exportStatus->setText(
        error ? QStringLiteral("Ikke gemt: %1").arg(shown) : QStringLiteral("Gemt: %1").arg(shown));
    m_exportStatus->setAccessibleDescription(m_exportStatus->text());
    if (error)
        m_reporter(this, error->number(), qs(error->description()));
    emit exportFinished(path, !error);
}

QString PreviewWindow::suggestedPath(const QString& suffix) const
{
    QString name = m_fileName;
    if (name.endsWith(QLatin1String(".gsi"), Qt::CaseInsensitive))
        name.chop(4);
    name += suffix;
    return m_saveFolder.isEmpty() ? name : m_saveFolder + QLatin1Char('/') + name;
}

void PreviewWindow::askPng()
{
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Gem som PNG"),
        suggestedPath(QStringLiteral(".png")), QStringLiteral("PNG-billeder (*.png)"));
    if (!path.isEmpty())
        exportPng(path);
}

void PreviewWindow::askPdf()
{
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Gem som PDF"),
        suggestedPath(QStringLiteral(".pdf")), QStringLiteral("PDF-dokumenter (*.pdf)"));
    if (!path.isEmpty())
        exportPdf(path);
}

bool PreviewWindow::exportStations(const QString& path, double step)
{
    if (!Road::stationsFit(m_preview.alignment, step)) {
        m_reporter(this, GsiError::OutOfMemory,
            QStringLiteral("Afstanden %1 m giver mere end %2 stationer")
                .arg(step)
                .arg(Road::MaxStations));
        return false;
    }
    const std::string csv = RoadModel::stationsCsv(m_preview, step);
    startExport(path, QByteArray::fromStdString(csv));
    return true;
}

void PreviewWindow::askStations()
{
    bool ok = false;
    const double step = QInputDialog::getDouble(this, QStringLiteral("Gem stationer"),
        QStringLiteral("Afstand mellem stationerne (m):"), 10, 0.01, 100000, 3, &ok);
    if (!ok)
        return;
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Gem stationer"),
        suggestedPath(QStringLiteral("-stationer.csv")), QStringLiteral("CSV-filer (*.csv)"));
    if (!path.isEmpty())
        exportStations(path, step);
}

void PreviewWindow::print()
{
    try {
        QString file;
        if (Printing::print(this, m_preview, QStringLiteral("Sigtelinje - ") + m_fileName, &file)
            && !file.isEmpty())
            exportPdf(file);
    } catch (const GsiError& error) {
        m_reporter(this, error.number(), qs(error.description()));
    }
}
