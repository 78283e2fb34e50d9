// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "previewwindow.h"

#include "gsierror.h"
#include "outputfile.h"
#include "printing.h"
#include "roadpainter.h"

#include <QBuffer>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace {

QString qs(const std::string& text) { return QString::fromStdString(text); }

// The size of an exported picture: large enough to print on a page, small enough to mail.
constexpr QSize ExportSize { 1600, 1200 };

// Exports go through the program's one way of writing a file: whole or not at all, and a
// failure reported with its number and cause.
void writeFile(const QString& path, const QByteArray& bytes)
{
    OutputFile file(std::filesystem::path(path.toStdU16String()));
    file.write(std::string_view(bytes.constData(), std::size_t(bytes.size())));
    file.commit();
}

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
    setAccessibleName(QStringLiteral("Tegning"));
    setAccessibleDescription(preview.kind == RoadModel::Kind::Alignment
            ? QStringLiteral("Linjeføringen set ovenfra, før og efter konverteringen")
            : QStringLiteral("Længdeprofilet, før og efter konverteringen"));
}

void RoadView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    RoadPainter::paint(painter, QRectF(rect()), m_preview);
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
    auto* printButton = button(QStringLiteral("&Udskriv..."), QStringLiteral("Udskriv"), this);
    auto* close = button(QStringLiteral("&Luk"), QStringLiteral("Luk"), this);
    printButton->setEnabled(Printing::available());
    connect(png, &QPushButton::clicked, this, &PreviewWindow::askPng);
    connect(pdf, &QPushButton::clicked, this, &PreviewWindow::askPdf);
    connect(printButton, &QPushButton::clicked, this, &PreviewWindow::print);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);

    auto* side = new QVBoxLayout;
    side->addWidget(m_summary);
    side->addWidget(listCaption);
    side->addWidget(m_undrawn, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(png);
    buttons->addWidget(pdf);
    buttons->addWidget(printButton);
    buttons->addWidget(close);
    side->addLayout(buttons);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_view, 3);
    layout->addLayout(side, 2);

    setTabOrder(m_undrawn, png);
    setTabOrder(png, pdf);
    setTabOrder(pdf, printButton);
    setTabOrder(printButton, close);
    // The focus starts where there is something to do, on an entry that shows its focus mark.
    if (m_undrawn->count() > 0) {
        m_undrawn->setCurrentRow(0);
        m_undrawn->setFocus();
    } else {
        png->setFocus();
    }
    resize(1100, 640);
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
        lines << QStringLiteral("Den konverterede linjeføring er flyttet %1 m øst og %2 m nord "
                                "for at begynde i samme punkt.")
                     .arg(qs(RoadModel::metres(s.convertedShift.x)),
                         qs(RoadModel::metres(s.convertedShift.y)));
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
    // The line's bytes as text; a byte that is not UTF-8 shows as a replacement mark.
    const QString text = QString::fromUtf8(u.text.data(), qsizetype(u.text.size()));
    auto* box = new QMessageBox(QMessageBox::Information, windowTitle(),
        QStringLiteral("%1 %2: %3\n\n%4")
            .arg(u.converted ? QStringLiteral("Konverteret linje") : QStringLiteral("Linje"))
            .arg(u.line)
            .arg(qs(u.reason), text),
        QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("lineBox"));
    box->setTextFormat(Qt::PlainText);
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
        writeFile(path, bytes);
    } catch (const GsiError& error) {
        m_reporter(this, error.number(), qs(error.description()));
        return false;
    }
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
        RoadPainter::paint(painter, QRectF(0, 0, writer.width(), writer.height()), m_preview);
    }
    try {
        writeFile(path, bytes);
    } catch (const GsiError& error) {
        m_reporter(this, error.number(), qs(error.description()));
        return false;
    }
    return true;
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

void PreviewWindow::print()
{
    try {
        Printing::print(this, m_preview, QStringLiteral("Sigtelinje - ") + m_fileName);
    } catch (const GsiError& error) {
        m_reporter(this, error.number(), qs(error.description()));
    }
}
