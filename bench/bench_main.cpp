// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Medians of the operations a surveyor waits for: a conversion, opening the
// main window on folders of various sizes, and a click until the window is back.
// Run with `make bench`; it uses the offscreen platform unless told otherwise.

#include "benchfiles.h"
#include "form1.h"
#include "fusemount.h"
#include "geometry.h"
#include "listboxes.h"
#include "module1.h"
#include "previewwindow.h"
#include "roadmodel.h"
#include "roadpainter.h"
#include "textfile.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

using namespace BenchFiles;

namespace {

double medianMs(int runs, const std::function<void()>& setUp, const std::function<void()>& work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        setUp();
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// A folder of n files: a tenth alignment files, a tenth profile files, the
// rest other survey files that the lists leave out.
QString folderOf(const QTemporaryDir& root, int n)
{
    const QString folder = root.filePath(QStringLiteral("files%1").arg(n));
    QDir().mkpath(folder);
    for (int i = 0; i < n; ++i) {
        const char* pattern = i % 10 == 0 ? "al%1.gsi" : i % 10 == 1 ? "pr%1.gsi" : "x%1.dat";
        QFile file(folder + QLatin1Char('/')
            + QString::fromLatin1(pattern).arg(i, 6, 10, QLatin1Char('0')));
        file.open(QIODevice::WriteOnly);
        if (i % 10 == 0)
            file.write("*410001+0000000000000001 \r\n");
    }
    return folder;
}

// Until no main window has work under way.
void settle()
{
    for (;;) {
        bool busy = false;
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* window = qobject_cast<Form1*>(widget))
                busy = busy || window->isBusy();
        if (!busy)
            return;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
}

// The longest time, in ms, the window's thread went without answering while `work` ran and
// until `done`: the largest gap between ticks of a timer that asks to run every millisecond.
double longestStall(const std::function<void()>& work, const std::function<bool()>& done)
{
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0, longest = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        longest = std::max(longest, clock.nsecsElapsed() - last);
        last = clock.nsecsElapsed();
    });
    tick.start(1);
    work();
    longest = std::max(longest, clock.nsecsElapsed() - last);
    last = clock.nsecsElapsed();
    while (!done())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return std::max(longest, clock.nsecsElapsed() - last) / 1e6;
}

void row(const char* what, double ms, const char* target)
{
    std::printf("| %-52s | %9.3f | %-9s |\n", what, ms, target);
}

// The process's peak memory in MB since the last reset, from Linux's own count; -1 elsewhere.
double peakMegabytes(bool reset)
{
    if (reset) {
        if (std::FILE* clear = std::fopen("/proc/self/clear_refs", "w")) {
            std::fputs("5", clear);
            std::fclose(clear);
        }
        return 0;
    }
    double kilobytes = -1;
    if (std::FILE* status = std::fopen("/proc/self/status", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, status))
            if (std::sscanf(line, "VmHWM: %lf", &kilobytes) == 1)
                break;
        std::fclose(status);
    }
    return kilobytes < 0 ? -1 : kilobytes / 1024;
}

// The editor opening a file, once: its time and how far the process's peak memory grew.
void editorRow(const char* what, const QString& file, const char* target)
{
    peakMegabytes(true);
    const double before = peakMegabytes(false); // what the process holds now
    QElapsedTimer timer;
    timer.start();
    const TextFile::ReadResult read = TextFile::read(file);
    const double ms = timer.nsecsElapsed() / 1e6;
    const double peak = peakMegabytes(false);
    std::printf("| %-52s | %9.3f | %-9s |\n", what, ms, target);
    std::printf("|   %-50s | %9.1f |           |\n",
        read.ok ? "peak memory, MB (loaded)" : "peak memory, MB (refused)",
        peak < 0 ? -1.0 : peak - before);
}

// A conversion on a share whose FUSE daemon is stopped: the longest stall of the window's thread
// from the click until the daemon is resumed two seconds later and the conversion is done.
void stalledMediumRow(const QTemporaryDir& root)
{
    const char* what = "longest window stall, converting on a stopped medium";
    if (!FuseMount::unavailable(FuseMount::Kind::Bindfs).isEmpty()) {
        std::printf("| %-52s | %9s | %-9s |\n", what, "no FUSE", "< 50");
        return;
    }
    const QString source = root.filePath(QStringLiteral("stalled-source"));
    QDir().mkpath(source);
    write(source + QStringLiteral("/al1.gsi"), alignmentFile());
    FuseMount medium(FuseMount::Kind::Bindfs, root.filePath(QStringLiteral("stalled")), {}, source);
    QDir::setCurrent(medium.mountPoint());
    Form1 window;
    window.show();
    settle();
    medium.stop();
    QElapsedTimer since;
    const double stall = longestStall(
        [&] {
            since.start();
            emit window.File1->entryClicked(
                { window.File1->item(0)->text(), window.File1->nativeName(0) },
                window.File1->folder());
        },
        [&] {
            if (since.elapsed() > 2000)
                medium.resume();
            return since.elapsed() > 2000 && !window.isBusy();
        });
    row(what, stall, "< 50");
    // Out of the medium before it is unmounted.
    QDir::setCurrent(root.path());
}

}

namespace {

// A road of 1000 lines that the check finds consistent: straight, clothoid in, curve, clothoid
// out, turning right and left in turn. Laid out with the road model's own pieces, written to
// the tenth of a millimetre.
inline QByteArray roadAlignmentFile()
{
    const auto number = [](const char* head, double value) {
        const long long digits = std::llround(std::abs(value) * 10000);
        return QByteArray(head) + (value < 0 ? '-' : '+')
            + QByteArray::number(digits).rightJustified(16, '0') + ' ';
    };
    QByteArray out = "*410001+00000000HZALIGNM 42....+0000000000000001 \r\n";
    Geometry::Pose at { 55000, -612000, 0.5 };
    double chainage = 0;
    // With the header and the end of the project, the 1000 lines the conversion takes.
    for (int i = 0; i < 998; ++i) {
        const double turn = (i / 4) % 2 ? -1 : 1; // +1: to the right
        static const char* const names[] = { "STRAIGHT", "SPIRIN", "CURVE", "SPIROUT" };
        const double lengths[] = { 60, 50, 60, 50 };
        const double parameters[] = { 0, 150 * turn, 450 * turn, 150 * turn };
        const int kind = i % 4;
        out += '*' + number("11....", chainage) + "71....+"
            + QByteArray(names[kind]).rightJustified(16, '0') + ' '
            + number("72....", parameters[kind]) + number("81..16", at.x) + number("82..16", at.y)
            + "\r\n";
        Geometry::Piece piece { at, lengths[kind], 0, 0 };
        const double k = -turn / 450, rate = k / 50;
        if (kind == 1)
            piece.rate = rate;
        else if (kind == 2)
            piece.curvature = k;
        else if (kind == 3) {
            piece.curvature = k;
            piece.rate = -rate;
        }
        at = piece.at(piece.length);
        chainage += piece.length;
    }
    out += '*' + number("11....", chainage) + "71....+0000000000000EOP " + number("81..16", at.x)
        + number("82..16", at.y) + "\r\n";
    return out;
}

}

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM",
        qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    Form1::setErrorReporter([](QWidget*, int number, const QString& text) {
        qFatal("error %d: %s", number, qPrintable(text));
    });

    QTemporaryDir root;
    const QString start = QDir::currentPath();

    std::printf("| %-52s | %9s | %-9s |\n", "operation", "median ms", "target");
    std::printf("|%s|%s|%s|\n", QByteArray(54, '-').constData(), QByteArray(11, '-').constData(),
        QByteArray(11, '-').constData());

    // Conversions on files: read, convert and the atomic write. Each output is flushed to
    // the disk before it replaces the old one, so on a disk the flush measures the disk; the
    // files go to /dev/shm where there is one, and the last row shows the build's disk.
    const bool shm = QFileInfo(QStringLiteral("/dev/shm")).isWritable();
    QTemporaryDir memory(shm ? QStringLiteral("/dev/shm/sigtelinje-bench-XXXXXX")
                             : QDir::tempPath() + QStringLiteral("/sigtelinje-bench-XXXXXX"));
    const QString al = memory.filePath(QStringLiteral("al1000.gsi"));
    const QString pr = memory.filePath(QStringLiteral("pr1000.gsi"));
    const QString disk = root.filePath(QStringLiteral("al1000.gsi"));
    write(al, alignmentFile());
    write(pr, profileFile());
    write(disk, alignmentFile());
    const auto conversion = [](const QString& path, Module1::Conversion kind) {
        const std::filesystem::path input = QFile::encodeName(path).toStdString();
        return medianMs(
            201, [] {}, [&] { Module1::convertFile(kind, input); });
    };
    row("convert 1000-line alignment file", conversion(al, Module1::Conversion::Alignment), "< 2");
    row("convert 1000-line profile file", conversion(pr, Module1::Conversion::Profile), "< 2");
    row("  the alignment file on the build's disk",
        conversion(disk, Module1::Conversion::Alignment), "");

    // The conversion core alone, in memory.
    const std::string input = alignmentFile().toStdString();
    const double coreMs = medianMs(
        201, [] {}, [&] { Module1::convertBytes(Module1::Conversion::Alignment, input); });
    row("alignment core in memory (1000 lines)", coreMs, "");
    std::printf("| %-52s | %9.1f | %-9s |\n", "  = core throughput, MB/s",
        input.size() / coreMs / 1000.0, ">= 400");

    for (const int n : { 10, 1000, 10000, 100000 }) {
        const QString folder = folderOf(root, n);
        QDir::setCurrent(folder);
        const QByteArray what = "open main window, folder of " + QByteArray::number(n) + " files";
        row(what.constData(),
            medianMs(
                n >= 100000 ? 11 : 31, [] {},
                [] {
                    Form1 window;
                    window.show();
                    settle();
                }),
            "");
    }
    {
        // The window answers while a large folder is read: its longest stall from the start
        // until the lists are filled.
        QDir::setCurrent(root.filePath(QStringLiteral("files10000")));
        std::unique_ptr<Form1> window;
        row("longest window stall, reading 10000 files",
            longestStall(
                [&] {
                    window = std::make_unique<Form1>();
                    window->show();
                },
                [&] { return !window->isBusy(); }),
            "< 50");
    }
    stalledMediumRow(root);

    // A click on a file until the fresh window is up, in a folder of 10,000 files.
    QDir::setCurrent(root.filePath(QStringLiteral("files10000")));
    auto* window = new Form1;
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    settle();
    row("click to the window read afresh, folder of 10000 files",
        medianMs(
            31, [] {},
            [] {
                Form1* window = Form1::current();
                window->File1->setCurrentRow(0);
                emit window->File1->entryClicked(
                    { window->File1->item(0)->text(), window->File1->nativeName(0) },
                    window->File1->folder());
                settle();
            }),
        "< 30");

    // The preview: the file read through the file layer, converted in memory and both drawn.
    const QString road = memory.filePath(QStringLiteral("al1000preview.gsi"));
    write(road, previewAlignmentFile());
    const std::filesystem::path roadPath = QFile::encodeName(road).toStdString();
    row("preview reads and draws 1000-line alignment file",
        medianMs(
            31, [] {},
            [&] {
                RoadPainter::image(
                    RoadModel::load(Module1::Conversion::Alignment, roadPath), QSize(800, 600));
            }),
        "< 50");
    // The drawing alone, of a file read beforehand: the roads, the point marks and the labels
    // placed clear of them, then the labels' placing on its own.
    const RoadModel::Preview drawn = RoadModel::load(Module1::Conversion::Alignment, roadPath);
    row("  its drawing alone (800 x 600), file read beforehand",
        medianMs(
            31, [] {}, [&] { RoadPainter::image(drawn, QSize(800, 600)); }),
        "< 10");
    row("    of which the labels placed",
        medianMs(
            31, [] {}, [&] { RoadPainter::layout(drawn, QRectF(0, 0, 800, 600)); }),
        "< 5");
    row("  the preview window opened and shown",
        medianMs(
            31, [] {},
            [&] {
                PreviewWindow preview(RoadModel::load(Module1::Conversion::Alignment, roadPath),
                    QStringLiteral("al1000preview.gsi"), [](QWidget*, int, const QString&) {});
                preview.setAttribute(Qt::WA_DeleteOnClose, false);
                preview.show();
                preview.repaint();
            }),
        "< 50");

    // The road model alone, as sigtelinje-road runs it: read, laid out and checked, then staked
    // out every 10 m.
    const QByteArray roadBytes = roadAlignmentFile();
    const std::string roadText = roadBytes.toStdString();
    const RoadModel::Preview laid = RoadModel::read(Module1::Conversion::Alignment, roadText);
    if (!laid.summary.findings.empty() || laid.alignment.elements.size() != 998) {
        std::fprintf(stderr, "benchmark: the 1000-line road is not consistent: %s\n",
            laid.summary.findings.empty() ? "elements missing"
                                          : laid.summary.findings.front().text.c_str());
        return 1;
    }
    row("road check of a 1000-line alignment (every element kind)",
        medianMs(
            31, [] {}, [&] { RoadModel::read(Module1::Conversion::Alignment, roadText); }),
        "< 20");
    row("  the drawing of its preview (800 x 600), file read beforehand",
        medianMs(
            31, [] {}, [&] { RoadPainter::image(laid, QSize(800, 600)); }),
        "< 10");
    row("  its stations every 10 m as CSV",
        medianMs(
            31, [] {},
            [&] { Road::stationsCsv(Road::stations(laid.alignment, 10, nullptr), false); }),
        "< 20");

    // The editor on files far beyond any survey file: refused at once, or read whole.
    const QString huge = root.filePath(QStringLiteral("huge.txt"));
    const QString large = root.filePath(QStringLiteral("large.txt"));
    write(huge, QByteArray("P1 12.5\r\n"));
    QFile::resize(huge, qint64(1) << 30); // sparse where the file system allows
    write(large, QByteArray(50 * 1024 * 1024, 'x'));
    editorRow("editor opens a 1 GiB file (refused, error 7)", huge, "< 10");
    editorRow("editor reads a 50 MB file", large, "");

    QDir::setCurrent(start);
    return 0;
}
