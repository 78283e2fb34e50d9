// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The preview seen from outside: where its drawing puts ink for files of known geometry, what
// its summary lists, what its exports write, and how each word's unit is read.

#include "fusemount.h"
#include "gsierror.h"
#include "gsiwords.h"
#include "platformtest.h"
#include "previewwindow.h"
#include "roadmodel.h"
#include "roadpainter.h"

#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPainter>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <functional>
#include <memory>
#include <thread>

using namespace Qt::StringLiterals;

namespace {

using RoadModel::Kind;
using RoadModel::Point;

// A word of 24 characters: index, information, unit code, sign, 16 digits and a blank.
QByteArray word(const char* head, double value, double perDigit = 0.001)
{
    const long long digits = std::llround(std::abs(value) / perDigit);
    return QByteArray(head) + (value < 0 ? '-' : '+')
        + QByteArray::number(digits).rightJustified(16, '0') + ' ';
}

QByteArray textWord(const char* head, const char* text)
{
    return QByteArray(head) + '+' + QByteArray(text).rightJustified(16, '0') + ' ';
}

// A northing of 0 is written "-0000000000000000" as well, so that the conversion takes the line
// for a coordinate line.
QByteArray northing(double value)
{
    QByteArray w = word("82..10", value);
    w[6] = value <= 0 ? '-' : '+';
    return w;
}

// An alignment line as our users' files hold it: northing negative, with the '-' the
// conversion looks for.
QByteArray alignmentLine(double chainage, const char* element, double radius, Point at)
{
    return '*' + word("11....", chainage) + textWord("71....", element) + word("72...0", radius)
        + word("73...0", 0) + word("81..10", at.x) + northing(at.y);
}

QByteArray profileLine(double chainage, double height, double curve)
{
    return '*' + word("11....", chainage) + word("83..10", height) + word("72...0", curve)
        + word("73...0", 0);
}

QByteArray file(const QByteArrayList& lines)
{
    return "*410001+00000000HZALIGNM 42....+00000000TEST0001 \r\n" + lines.join("\r\n") + "\r\n";
}

RoadModel::Preview preview(Kind kind, const QByteArray& bytes)
{
    return RoadModel::build(kind, std::string_view(bytes.constData(), std::size_t(bytes.size())));
}

constexpr QSize ImageSize { 800, 600 };

bool near(QRgb pixel, const QColor& colour)
{
    return std::abs(qRed(pixel) - colour.red()) < 40
        && std::abs(qGreen(pixel) - colour.green()) < 40
        && std::abs(qBlue(pixel) - colour.blue()) < 40;
}

// Whether `colour` is drawn within `radius` pixels of where the metres `at` land.
bool inkNear(const QImage& image, const RoadModel::Preview& p, Point at, const QColor& colour,
    int radius = 3)
{
    const RoadPainter::Frame frame = RoadPainter::frameFor(p, QRectF(QPointF(), QSizeF(ImageSize)));
    const QPoint centre = frame.toPixel(at).toPoint();
    for (int dy = -radius; dy <= radius; ++dy)
        for (int dx = -radius; dx <= radius; ++dx) {
            const QPoint pixel = centre + QPoint(dx, dy);
            if (image.rect().contains(pixel) && near(image.pixel(pixel), colour))
                return true;
        }
    return false;
}

}

using Points = QList<QPointF>;

class PreviewTest : public QObject {
    Q_OBJECT

private slots:
    void lengthsFollowTheirUnitCode_data();
    void lengthsFollowTheirUnitCode();
    void planDrawsTheRoadAndItsMirror_data();
    void planDrawsTheRoadAndItsMirror();
    void planHasOneScaleWithNorthUp();
    void zoomAndPanMoveTheDrawing_data();
    void zoomAndPanMoveTheDrawing();
    void printedPageCarriesATitleBlockInItsCorner();
    void profileDrawsTheCrestHighestWithItsCurveMarked();
    void labelsKeepClearOfRoadsPointMarksAndEachOther_data();
    void labelsKeepClearOfRoadsPointMarksAndEachOther();
    void summaryListsEachLineThatCannotBeDrawn_data();
    void summaryListsEachLineThatCannotBeDrawn();
    void summaryCountsWhatWasRead();
    void tabVisitsEveryControlAndEachHasADanishName();
    void fileOverTheLineLimitIsRefusedWithError9();
    void exportIsWrittenWhileTheWindowAnswers_data();
    void exportIsWrittenWhileTheWindowAnswers();
};

void PreviewTest::lengthsFollowTheirUnitCode_data()
{
    QTest::addColumn<QByteArray>("word");
    QTest::addColumn<double>("metres"); // NaN when the word is refused
    const double refused = std::nan("");
    QTest::newRow("0: metre, last digit 1 mm") << QByteArray("81..10+0000000000123456") << 123.456;
    QTest::newRow("1: feet, last digit 1/1000 ft")
        << QByteArray("81..11+0000000000010000") << 3.048;
    QTest::newRow("6: metre, last digit 1/10 mm")
        << QByteArray("81..16+0000000000123456") << 12.3456;
    QTest::newRow("7: feet, last digit 1/10000 ft")
        << QByteArray("81..17-0000000000100000") << -3.048;
    QTest::newRow("8: metre, last digit 1/100 mm")
        << QByteArray("81..18+0000000000123456") << 1.23456;
    QTest::newRow(".: no unit, read as metre and mm")
        << QByteArray("11....+0000000000125000") << 125.0;
    QTest::newRow("2: an angle is not a length")
        << QByteArray("81..12+0000000000123456") << refused;
    QTest::newRow("9: no such unit") << QByteArray("81..19+0000000000123456") << refused;
    QTest::newRow("a letter among the digits") << QByteArray("81..10+00000000001234x6") << refused;
    QTest::newRow("no sign") << QByteArray("81..10 0000000000123456") << refused;
}

void PreviewTest::lengthsFollowTheirUnitCode()
{
    QFETCH(QByteArray, word);
    QFETCH(double, metres);
    const std::string line = "*" + word.toStdString() + " ";
    std::vector<GsiWords::Word> words;
    QCOMPARE(GsiWords::split(line, words), GsiWords::Problem::None);
    QCOMPARE(words.size(), std::size_t(1));
    double read = 0;
    const GsiWords::Problem problem = GsiWords::length(words[0], read);
    if (std::isnan(metres)) {
        QVERIFY(problem != GsiWords::Problem::None);
        QVERIFY(!GsiWords::describe(problem).empty());
    } else {
        QCOMPARE(problem, GsiWords::Problem::None);
        QVERIFY2(std::abs(read - metres) < 1e-9, qPrintable(QString::number(read, 'f', 9)));
    }
}

void PreviewTest::planDrawsTheRoadAndItsMirror_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Points>("original"); // metres where the file's road is drawn
    QTest::addColumn<Points>("converted"); // metres where the converted road is drawn
    QTest::addColumn<Points>("blank"); // metres where neither is
    // East 100 m, then south 50 m; the conversion exchanges easting and northing.
    QTest::newRow("an L of two straights") << file(
        { alignmentLine(0, "STRAIGHT", 0, { 0, 0 }), alignmentLine(100, "STRAIGHT", 0, { 100, 0 }),
            alignmentLine(150, "STRAIGHT", 0, { 100, -50 }) })
                                           << Points { { 50, 0 }, { 100, -25 }, { 90, 0 } }
                                           << Points { { 0, 50 }, { -25, 100 } }
                                           << Points { { 50, -25 }, { 25, 50 } };
    // A quarter circle of radius 100 m from (0, 0) to (100, -100): turning right it bulges
    // north-east through (70.7, -29.3); turning left it would pass (29.3, -70.7).
    const double bulge = 100 - 100 / std::sqrt(2.0);
    QTest::newRow("a curve of radius 100 m to the right")
        << file({ alignmentLine(0, "CURVE", 100, { 0, 0 }),
               alignmentLine(157.08, "STRAIGHT", 0, { 100, -100 }) })
        << Points { { 100 - bulge, -bulge } } << Points { { -bulge, 100 - bulge } }
        << Points { { bulge, bulge - 100 }, { bulge - 100, bulge }, { 50, -50 } };
    // A clothoid turning right (A = 60 m) from a straight heading east, walked here in small
    // steps of its heading -s²/2A²: its middle lies well off the chord's.
    const auto walk = [](double length) {
        QPointF at(100, 0);
        constexpr int steps = 100000;
        for (int k = 0; k < steps; ++k) {
            const double s = (k + 0.5) * length / steps, h = -s * s / (2 * 60.0 * 60.0);
            at += QPointF(std::cos(h), std::sin(h)) * (length / steps);
        }
        return at;
    };
    const QPointF end = walk(100), middle = walk(50), chordMiddle = (QPointF(100, 0) + end) / 2;
    QTest::newRow("a clothoid after a straight")
        << file({ alignmentLine(0, "STRAIGHT", 0, { 0, 0 }),
               alignmentLine(100, "00SPIRIN", 60, { 100, 0 }),
               alignmentLine(200, "STRAIGHT", 0, { end.x(), end.y() }) })
        << Points { middle } << Points { { middle.y(), middle.x() } }
        << Points { chordMiddle, { chordMiddle.y(), chordMiddle.x() } };
    QTest::newRow("a curve of radius 100 m to the left")
        << file({ alignmentLine(0, "CURVE", -100, { 0, 0 }),
               alignmentLine(157.08, "STRAIGHT", 0, { 100, -100 }) })
        << Points { { bulge, bulge - 100 } } << Points { { bulge - 100, bulge } }
        << Points { { 100 - bulge, -bulge }, { -bulge, 100 - bulge }, { 50, -50 } };
}

void PreviewTest::planDrawsTheRoadAndItsMirror()
{
    QFETCH(QByteArray, bytes);
    QFETCH(Points, original);
    QFETCH(Points, converted);
    QFETCH(Points, blank);
    const RoadModel::Preview p = preview(Kind::Alignment, bytes);
    QVERIFY(p.summary.undrawn.empty());
    // Both start at the same point, so the converted road is drawn where it really lies.
    QCOMPARE(p.summary.convertedShift.x, 0.0);
    QCOMPARE(p.summary.convertedShift.y, 0.0);
    const QImage image = RoadPainter::image(p, ImageSize);
    for (const QPointF& at : original)
        QVERIFY2(inkNear(image, p, { at.x(), at.y() }, RoadPainter::OriginalColour),
            qPrintable(QString("no road at %1, %2").arg(at.x()).arg(at.y())));
    for (const QPointF& at : converted)
        QVERIFY2(inkNear(image, p, { at.x(), at.y() }, RoadPainter::ConvertedColour),
            qPrintable(QString("no converted road at %1, %2").arg(at.x()).arg(at.y())));
    for (const QPointF& at : blank) {
        QVERIFY2(!inkNear(image, p, { at.x(), at.y() }, RoadPainter::OriginalColour, 2)
                && !inkNear(image, p, { at.x(), at.y() }, RoadPainter::ConvertedColour, 2),
            qPrintable(QString("ink at %1, %2").arg(at.x()).arg(at.y())));
    }
}

void PreviewTest::planHasOneScaleWithNorthUp()
{
    const RoadModel::Preview p = preview(Kind::Alignment,
        file({ alignmentLine(0, "STRAIGHT", 0, { 0, 0 }),
            alignmentLine(300, "STRAIGHT", 0, { 300, 0 }) }));
    const RoadPainter::Frame frame = RoadPainter::frameFor(p, QRectF(QPointF(), QSizeF(ImageSize)));
    const QPointF origin = frame.toPixel({ 0, 0 });
    const QPointF east = frame.toPixel({ 100, 0 }) - origin;
    const QPointF north = frame.toPixel({ 0, 100 }) - origin;
    QVERIFY(east.x() > 0 && std::abs(east.y()) < 1e-9);
    QVERIFY(north.y() < 0 && std::abs(north.x()) < 1e-9);
    QVERIFY(std::abs(east.x() + north.y()) < 1e-9);
    // The road 300 m long, the converted one 300 m north: both fit the image.
    QVERIFY(frame.plot.contains(frame.toPixel({ 300, 0 })));
    QVERIFY(frame.plot.contains(frame.toPixel({ 0, 300 })));
}

// What a user does to the drawing, and where that puts a point that was at `from` pixels.
using Move = std::function<QPointF(QPointF from, QRectF widget)>;
Q_DECLARE_METATYPE(Move)

void PreviewTest::zoomAndPanMoveTheDrawing_data()
{
    QTest::addColumn<QString>("keys"); // typed in turn: + - 0 and arrows as < > ^ v
    QTest::addColumn<QPoint>("wheelAt"); // one notch up at that pixel, where not null
    QTest::addColumn<QPoint>("drag"); // with the left button, from the centre, where not null
    QTest::addColumn<Move>("move");
    const auto scaledAbout = [](double factor, bool atCentre, QPointF about = {}) {
        return Move([=](QPointF from, QRectF widget) {
            const QPointF fixed = atCentre ? widget.center() : about;
            return fixed + (from - fixed) * factor;
        });
    };
    const auto eighth = [](double dx, double dy) {
        return Move([=](QPointF from, QRectF widget) {
            const double step = std::min(widget.width(), widget.height()) / 8;
            return from + QPointF(dx * step, dy * step);
        });
    };
    QTest::newRow("+ zooms in about the middle")
        << "+" << QPoint() << QPoint() << scaledAbout(1.25, true);
    QTest::newRow("- zooms out about the middle")
        << "-" << QPoint() << QPoint() << scaledAbout(0.8, true);
    QTest::newRow("+ twice, then 0 shows it all again")
        << "++0" << QPoint() << QPoint() << scaledAbout(1, true);
    QTest::newRow("the wheel zooms about the pointer")
        << "" << QPoint(200, 150) << QPoint() << scaledAbout(1.2, false, { 200, 150 });
    QTest::newRow("the right arrow shows more to the east")
        << ">" << QPoint() << QPoint() << eighth(-1, 0);
    QTest::newRow("the up arrow shows more to the north")
        << "^" << QPoint() << QPoint() << eighth(0, 1);
    QTest::newRow("a drag carries the drawing with it")
        << "" << QPoint() << QPoint(60, -45)
        << Move([](QPointF from, QRectF) { return from + QPointF(60, -45); });
}

// The far end of an L-shaped road, found by its ink before and after the user's moves: no
// road runs on beyond it, so ink where it is to go can only be the moved end.
void PreviewTest::zoomAndPanMoveTheDrawing()
{
    QFETCH(QString, keys);
    QFETCH(QPoint, wheelAt);
    QFETCH(QPoint, drag);
    QFETCH(Move, move);
    const RoadModel::Preview p = preview(Kind::Alignment,
        file({ alignmentLine(0, "STRAIGHT", 0, { 0, 0 }),
            alignmentLine(100, "STRAIGHT", 0, { 100, 0 }),
            alignmentLine(150, "STRAIGHT", 0, { 100, -50 }) }));
    RoadView view(p);
    view.resize(640, 480);
    const QRectF widget(view.rect());
    const QPointF corner = RoadPainter::frameFor(p, widget).toPixel({ 100, -50 });
    const QPointF expected = move(corner, widget);
    QVERIFY2(widget.adjusted(6, 6, -6, -6).contains(expected), "the row moves the corner away");
    const auto inkAt = [&](QPointF at) {
        const QImage image = view.grab().toImage();
        for (int dy = -3; dy <= 3; ++dy)
            for (int dx = -3; dx <= 3; ++dx) {
                const QPoint pixel = at.toPoint() + QPoint(dx, dy);
                if (image.rect().contains(pixel)
                    && near(image.pixel(pixel), RoadPainter::OriginalColour))
                    return true;
            }
        return false;
    };
    QVERIFY(inkAt(corner));
    if (QLineF(corner, expected).length() > 20)
        QVERIFY2(!inkAt(expected), "ink where the corner is to go, before any move");

    const QMap<QChar, Qt::Key> keyOf { { '+', Qt::Key_Plus }, { '-', Qt::Key_Minus },
        { '0', Qt::Key_0 }, { '<', Qt::Key_Left }, { '>', Qt::Key_Right }, { '^', Qt::Key_Up },
        { 'v', Qt::Key_Down } };
    for (const QChar key : keys)
        QTest::keyClick(&view, keyOf.value(key));
    if (!wheelAt.isNull()) {
        QWheelEvent wheel(QPointF(wheelAt), view.mapToGlobal(QPointF(wheelAt)), QPoint(),
            QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&view, &wheel);
    }
    if (!drag.isNull()) {
        const QPointF from = widget.center(), to = from + QPointF(drag);
        QMouseEvent press(QEvent::MouseButtonPress, from, view.mapToGlobal(from), Qt::LeftButton,
            Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&view, &press);
        QMouseEvent moved(QEvent::MouseMove, to, view.mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
            Qt::NoModifier);
        QApplication::sendEvent(&view, &moved);
    }
    QVERIFY2(inkAt(expected),
        qPrintable(QString("no road at %1, %2").arg(expected.x()).arg(expected.y())));
}

// The page a PDF or a printer gets: the same drawing, with the file, the date and the scale
// in the lower right corner and nowhere else.
void PreviewTest::printedPageCarriesATitleBlockInItsCorner()
{
    const RoadModel::Preview p = preview(Kind::Alignment,
        file({ alignmentLine(0, "STRAIGHT", 0, { 0, 0 }),
            alignmentLine(300, "STRAIGHT", 0, { 300, 0 }) }));
    const QRectF page { QPointF(), QSizeF(ImageSize) };
    const auto draw = [&](const RoadPainter::TitleBlock* title) {
        QImage image(ImageSize, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        RoadPainter::paint(painter, page, p, {}, title);
        return image;
    };
    const RoadPainter::TitleBlock title { "al1.gsi", "10-12-2026", 4 };
    const QImage plain = draw(nullptr), titled = draw(&title);
    QRect changed;
    for (int y = 0; y < plain.height(); ++y)
        for (int x = 0; x < plain.width(); ++x)
            if (plain.pixel(x, y) != titled.pixel(x, y))
                changed |= QRect(x, y, 1, 1);
    QVERIFY2(!changed.isEmpty(), "the title block drew nothing");
    QVERIFY2(changed.left() > ImageSize.width() / 2 && changed.top() > ImageSize.height() / 2,
        qPrintable(
            QString("the title block reaches %1, %2").arg(changed.left()).arg(changed.top())));
    // Its three lines of text are taller than one.
    QVERIFY(changed.height() > 3 * QFontMetrics(QFont()).height() - 4);
}

void PreviewTest::labelsKeepClearOfRoadsPointMarksAndEachOther_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<double>("zoom");
    // A zigzag road of short elements, its points close together, and a profile of short grades
    // whose labels sit between point marks.
    QByteArrayList zigzag;
    for (int i = 0; i < 40; ++i)
        zigzag << alignmentLine(i * 20, "STRAIGHT", 0, { 1000.0 + i * 15, -5000.0 + (i % 2) * 13 });
    QByteArrayList grades;
    for (int i = 0; i < 40; ++i)
        grades << profileLine(i * 10, 10 + (i % 3) * 0.4, 0);
    const int alignment = int(Kind::Alignment), profile = int(Kind::Profile);
    QTest::newRow("plan, points close together") << alignment << file(zigzag) << 1.0;
    QTest::newRow("profile, short grades") << profile << file(grades) << 1.0;
    QTest::newRow("profile, zoomed in") << profile << file(grades) << 3.0;
}

void PreviewTest::labelsKeepClearOfRoadsPointMarksAndEachOther()
{
    QFETCH(int, kind);
    QFETCH(QByteArray, bytes);
    QFETCH(double, zoom);
    const RoadModel::Preview p = preview(Kind(kind), bytes);
    const QRectF page { QPointF(), QSizeF(ImageSize) };
    const RoadPainter::View view { zoom, {} };
    const RoadPainter::Layout placed = RoadPainter::layout(p, page, view);
    QVERIFY2(placed.labels.size() >= 3, "too few labels placed to tell anything");
    const RoadPainter::Frame frame = RoadPainter::frameFor(p, page, view);
    for (std::size_t i = 0; i < placed.labels.size(); ++i) {
        const QRectF box = placed.labels[i].box;
        QVERIFY(page.contains(box));
        for (std::size_t j = 0; j < i; ++j)
            QVERIFY(!box.intersects(placed.labels[j].box));
        // No point mark reaches into the box: its centre's distance from the box exceeds its
        // radius.
        for (const auto* dots : { &placed.originalDots, &placed.convertedDots })
            for (const RoadPainter::Dot& dot : *dots) {
                const double dx
                    = std::max({ box.left() - dot.at.x(), 0.0, dot.at.x() - box.right() });
                const double dy
                    = std::max({ box.top() - dot.at.y(), 0.0, dot.at.y() - box.bottom() });
                QVERIFY2(std::hypot(dx, dy) > dot.radius,
                    qPrintable(QString("label %1 covers the mark at %2, %3")
                                   .arg(placed.labels[i].text)
                                   .arg(dot.at.x())
                                   .arg(dot.at.y())));
            }
        // Nor does either road, looked at every half pixel along it.
        for (const RoadModel::Drawing* drawing : { &p.original, &p.converted })
            for (const RoadModel::Segment& segment : drawing->segments)
                for (std::size_t k = 0; k + 1 < segment.points.size(); ++k) {
                    const QPointF a = frame.toPixel(segment.points[k]);
                    const QPointF b = frame.toPixel(segment.points[k + 1]);
                    const int steps = int(QLineF(a, b).length() * 2) + 1;
                    for (int t = 0; t <= steps; ++t)
                        QVERIFY(!box.contains(a + (b - a) * (double(t) / steps)));
                }
    }
}

void PreviewTest::profileDrawsTheCrestHighestWithItsCurveMarked()
{
    const RoadModel::Preview p = preview(Kind::Profile,
        file({ profileLine(0, 10, 0), profileLine(50, 12, 2000), profileLine(100, 10, 0) }));
    QVERIFY(p.summary.undrawn.empty());
    const QImage image = RoadPainter::image(p, ImageSize);
    const RoadPainter::Frame frame = RoadPainter::frameFor(p, QRectF(QPointF(), QSizeF(ImageSize)));
    // The highest ink of the road, scanning from the top of the drawing, stands at the crest.
    int top = -1, column = -1;
    for (int y = int(frame.plot.top()) - 5; y < image.height() && top < 0; ++y)
        for (int x = int(frame.plot.left()); x < int(frame.plot.right()); ++x)
            if (near(image.pixel(x, y), RoadPainter::OriginalColour)) {
                top = y;
                column = x;
                break;
            }
    const QPointF crest = frame.toPixel({ 50, 12 });
    QVERIFY2(std::abs(column - crest.x()) < 12, qPrintable(QString::number(column)));
    QVERIFY(inkNear(image, p, { 25, 11 }, RoadPainter::OriginalColour));
    QVERIFY(inkNear(image, p, { 75, 11 }, RoadPainter::OriginalColour));
    QVERIFY(!inkNear(image, p, { 50, 10.5 }, RoadPainter::OriginalColour));
    // Without element names the points are joined by grades, each written on its straight, and
    // word 72 is shown as it stands, before the conversion and after it turned the sign.
    const auto texts = [](const RoadModel::Drawing& d) {
        std::vector<std::string> all;
        for (const RoadModel::Mark& m : d.marks)
            all.push_back(m.text);
        return all;
    };
    QCOMPARE(texts(p.original), (std::vector<std::string> { "72: 2000,000", "4,00 %", "-4,00 %" }));
    QCOMPARE(
        texts(p.converted), (std::vector<std::string> { "72: -2000,000", "4,00 %", "-4,00 %" }));
    QVERIFY(RoadPainter::exaggerationText(frame).contains("overhøjet"));
    QVERIFY(RoadPainter::extentText(p).contains("100,000"));
    QVERIFY(frame.exaggeration > 1);
}

void PreviewTest::summaryListsEachLineThatCannotBeDrawn_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("line"); // the file's third line
    QTest::addColumn<QString>("reason");
    const int alignment = int(Kind::Alignment), profile = int(Kind::Profile);
    const QByteArray good = alignmentLine(0, "STRAIGHT", 0, { 0, 0 });
    QByteArray shifted = alignmentLine(10, "STRAIGHT", 0, { 10, 0 });
    shifted[24] = 'x';
    QByteArray badUnit = alignmentLine(10, "STRAIGHT", 0, { 10, 0 });
    badUnit.replace("81..10", "81..19");
    QByteArray angle = alignmentLine(10, "STRAIGHT", 0, { 10, 0 });
    angle.replace("82..10", "82..13");
    QByteArray sign = alignmentLine(10, "STRAIGHT", 0, { 10, 0 });
    sign[sign.indexOf("81..10") + 6] = '*';
    QByteArray digits = alignmentLine(10, "STRAIGHT", 0, { 10, 0 });
    digits[digits.indexOf("81..10") + 20] = 'A';
    QByteArray chainage = alignmentLine(10, "STRAIGHT", 0, { 10, 0 });
    chainage[chainage.indexOf("11....") + 20] = 'A';

    QTest::newRow("no leading *") << alignment << alignmentLine(10, "STRAIGHT", 0, { 10, 0 }).mid(1)
                                  << "linjen begynder ikke med *";
    QTest::newRow("a word cut short")
        << alignment << alignmentLine(10, "STRAIGHT", 0, { 10, 0 }).chopped(5)
        << "linjen slutter midt i et ord";
    QTest::newRow("a word without its blank") << alignment << shifted << "kolonnerne er forskudt";
    QTest::newRow("a word index that is no number")
        << alignment << QByteArray("*1x....+0000000000000000 ") << "ordnummer er ikke to cifre";
    QTest::newRow("an unknown unit code") << alignment << badUnit << "ord 81: ukendt enhedskode";
    QTest::newRow("an angle's unit code")
        << alignment << angle << "ord 82: enhedskoden er en vinkels";
    QTest::newRow("no sign") << alignment << sign << "ord 81: fortegnet";
    QTest::newRow("a letter in the data")
        << alignment << digits << "ord 81: dataene er ikke 16 cifre";
    QTest::newRow("an element without coordinates")
        << alignment << ('*' + word("11....", 10) + textWord("71....", "STRAIGHT"))
        << "mangler koordinaterne";
    QTest::newRow("no northing") << alignment << ('*' + word("11....", 10) + word("81..10", 10))
                                 << "mangler ord 82";
    QTest::newRow("no easting") << alignment << ('*' + word("11....", 10) + word("82..10", -10))
                                << "mangler ord 81";
    QTest::newRow("a chainage that cannot be read")
        << alignment << chainage << "ord 11: dataene er ikke 16 cifre";
    // The element named on a point runs to the next one, which the row's file adds.
    QTest::newRow("an element of unknown type")
        << alignment << alignmentLine(10, "HELIX", 0, { 10, 0 }) << "elementtypen \"HELIX\"";
    QTest::newRow("no element type")
        << alignment << ('*' + word("11....", 10) + word("81..10", 10) + word("82..10", 0))
        << "mangler elementtypen";
    QTest::newRow("a curve without radius")
        << alignment
        << ('*' + word("11....", 10) + textWord("71....", "CURVE") + word("81..10", 10)
               + word("82..10", 0))
        << "cirkelbuen mangler radius";
    QTest::newRow("a radius shorter than half the chord")
        << alignment << alignmentLine(10, "CURVE", 20, { 10, 0 }) << "når ikke de 700,071 m";
    QTest::newRow("a profile point without height")
        << profile << ('*' + word("11....", 10) + word("72...0", 0)) << "mangler højden";
    QTest::newRow("a profile point without chainage")
        << profile << ('*' + word("83..10", 10)) << "mangler stationeringen";
    QTest::newRow("a profile going back") << profile << profileLine(-5, 10, 0) << "går tilbage";
    QTest::newRow("a profile height that cannot be read")
        << profile << ('*' + word("11....", 10) + "83..19+0000000000010000 ")
        << "ord 83: ukendt enhedskode";
    // Shown up to its first 1000 characters: a line of megabytes would stall the window.
    QTest::newRow("a line far longer than an instrument writes")
        << profile << ('*' + word("11....", 10) + QByteArray(3000, 'x'))
        << "slutter ikke med mellemrum";
}

void PreviewTest::summaryListsEachLineThatCannotBeDrawn()
{
    QFETCH(int, kind);
    QFETCH(QByteArray, line);
    QFETCH(QString, reason);
    const QByteArray first = Kind(kind) == Kind::Alignment
        ? alignmentLine(0, "STRAIGHT", 0, { 0, 0 })
        : profileLine(0, 10, 0);
    const QByteArray last = Kind(kind) == Kind::Alignment
        ? alignmentLine(500, "STRAIGHT", 0, { 500, -500 })
        : profileLine(500, 10, 0);
    const QByteArray bytes = file({ first, line, last });
    QList<int> reported;
    PreviewWindow window(preview(Kind(kind), bytes), "al9.gsi",
        [&reported](QWidget*, int number, const QString&) { reported.append(number); });
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    QListWidget* list = window.undrawnList();
    QVERIFY(list->count() >= 1);
    const QString entry = list->item(0)->text();
    QVERIFY2(entry.startsWith("Linje 3: ") && entry.contains(reason), qPrintable(entry));
    QVERIFY(window.summaryLabel()->text().contains(
        QString("Linjer der ikke kunne tegnes: %1").arg(list->count())));
    QVERIFY(!list->accessibleName().isEmpty());

    // Enter on the entry shows the line itself.
    QSignalSpy shown(&window, &PreviewWindow::lineShown);
    list->setFocus();
    list->setCurrentRow(0);
    QTest::keyClick(list, Qt::Key_Return);
    QCOMPARE(shown.size(), 1);
    const QString expected = line.size() > 1000 ? QString::fromUtf8(line.left(1000)) + u"…"_s
                                                : QString::fromUtf8(line);
    QCOMPARE(shown.at(0).at(0).toString(), expected);
    auto* box = window.findChild<QMessageBox*>("lineBox");
    QVERIFY(box && box->text().endsWith(expected));
    QVERIFY(reported.isEmpty());
}

void PreviewTest::summaryCountsWhatWasRead()
{
    QByteArray feet = alignmentLine(200, "STRAIGHT", 0, { 200, -100 });
    feet.replace("11....+", "11...1+");
    const RoadModel::Preview p = preview(Kind::Alignment,
        file({ alignmentLine(0, "STRAIGHT", 0, { 0, 0 }),
            alignmentLine(100, "CURVE", 300, { 100, 0 }),
            '*' + word("11....", 100) + word("74....", 1),
            alignmentLine(150, "SPIRIN", 100, { 150, -20 }), feet }));
    QCOMPARE(p.summary.linesRead, 6);
    QCOMPARE(p.summary.dropped, 1);
    QCOMPARE(p.summary.coordinateLines, 4);
    QCOMPARE(p.summary.count(Road::Kind::Straight), 1);
    QCOMPARE(p.summary.count(Road::Kind::Curve), 1);
    QCOMPARE(p.summary.count(Road::Kind::SpiralIn), 1);
    // Word 11's information field is a block number: the chainage takes the coordinates' unit.
    QCOMPARE(p.summary.units, (std::vector<std::string> { "m (1 mm)" }));
    QCOMPARE(p.alignment.points.back().chainage, 200.0);
    QVERIFY(p.summary.undrawn.empty());
    // The dropped line is not in the converted file, and the overlay has every point.
    QCOMPARE(p.converted.vertices.size(), std::size_t(4));
}

void PreviewTest::tabVisitsEveryControlAndEachHasADanishName()
{
    PreviewWindow window(
        preview(Kind::Alignment, file({ "*x", alignmentLine(0, "STRAIGHT", 0, { 0, 0 }) })),
        "al1.gsi", [](QWidget*, int, const QString&) {});
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
    // The focus starts on the first line that was not drawn.
    QCOMPARE(QApplication::focusWidget(), window.undrawnList());
    QCOMPARE(window.undrawnList()->currentRow(), 0);
    QStringList visited;
    for (int i = 0; i < 5; ++i) {
        visited << QApplication::focusWidget()->accessibleName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    // Print takes no focus where no printer exists; where one does, it comes before Luk.
    QStringList withoutPrint = visited;
    withoutPrint.removeAll("Udskriv");
    QCOMPARE(withoutPrint.mid(0, 4),
        QStringList({ "Linjer der ikke kunne tegnes", "Gem som PNG", "Gem som PDF", "Luk" }));
    for (QWidget* child : window.findChildren<QWidget*>())
        if (child->isVisible() && child->focusPolicy() != Qt::NoFocus)
            QVERIFY2(!child->accessibleName().isEmpty(), child->metaObject()->className());
    QVERIFY(!window.findChild<RoadView*>()->accessibleName().isEmpty());
    // Escape closes it.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QVERIFY(!window.isVisible());
}

void PreviewTest::fileOverTheLineLimitIsRefusedWithError9()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // 1000 lines the conversion keeps and a dropped one: the alignment conversion refuses it.
    QByteArrayList lines(999, profileLine(0, 10, 0));
    lines.append('*' + word("74....", 1));
    const QString path = dir.filePath("al1001.gsi");
    QFile out(path);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(file(lines));
    out.close();
    try {
        RoadModel::load(Kind::Alignment, QFile::encodeName(path).toStdString());
        QFAIL("a file the conversion refuses was shown");
    } catch (const GsiError& error) {
        QCOMPARE(error.number(), 9);
        QVERIFY2(QString::fromStdString(error.description()).contains("al1001.gsi"),
            error.description().c_str());
    }
    // The profile conversion drops nothing, so its 1001 lines are one too many; 1000 are not.
    const RoadModel::Preview profile = preview(Kind::Profile, file(lines));
    QVERIFY(profile.summary.tooManyLines);
    QCOMPARE(profile.summary.linesRead, 1000);
    QVERIFY(!profile.summary.conversionError.empty());
    lines.removeLast();
    const RoadModel::Preview whole = RoadModel::load(Kind::Profile, [&] {
        QFile again(path);
        again.open(QIODevice::WriteOnly);
        again.write(file(lines));
        return QFile::encodeName(path).toStdString();
    }());
    QVERIFY(!whole.summary.tooManyLines);
    QCOMPARE(whole.summary.linesRead, 1000);
}

void PreviewTest::exportIsWrittenWhileTheWindowAnswers_data()
{
    QTest::addColumn<QString>("format"); // png, pdf or csv
    // "here", "gone" (no such folder), "held" (open in another program), "device" (a name
    // Windows keeps for a device), "stopped" (a medium)
    QTest::addColumn<QString>("where");
    QTest::addColumn<int>("error"); // reported for the newest export; 0 for none
    QTest::newRow("PNG") << u"png"_s << u"here"_s << 0;
    QTest::newRow("PDF") << u"pdf"_s << u"here"_s << 0;
    QTest::newRow("stations CSV") << u"csv"_s << u"here"_s << 0;
    QTest::newRow("a folder that does not exist") << u"png"_s << u"gone"_s << 76;
    QTest::newRow("a file another program holds open (Windows)") << u"pdf"_s << u"held"_s << 70;
    // Once "Fejl 57" with "Input/output error"; other programs would open the device by it.
    QTest::newRow("a name Windows keeps for a device (Windows)") << u"png"_s << u"device"_s << 52;
    QTest::newRow("a stopped medium, then a newer export") << u"png"_s << u"stopped"_s << 0;
}

// An export is made on the window's thread and written on a worker: the window answers while
// the medium does not, shows the export waiting, and reports the newest export only.
void PreviewTest::exportIsWrittenWhileTheWindowAnswers()
{
    QFETCH(QString, format);
    QFETCH(QString, where);
    QFETCH(int, error);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    std::unique_ptr<FuseMount> medium;
    if (where == "stopped") {
        if (const QString why = FuseMount::unavailable(FuseMount::Kind::Bindfs); !why.isEmpty())
            QSKIP(qPrintable(why));
        QVERIFY(QDir(dir.path()).mkpath("source"));
        medium = std::make_unique<FuseMount>(
            FuseMount::Kind::Bindfs, dir.filePath("share"), QStringList(), dir.filePath("source"));
        QVERIFY2(medium->isMounted(), qPrintable(medium->error()));
    }
    QList<int> reported;
    QString said;
    PreviewWindow window(preview(Kind::Alignment,
                             file({ alignmentLine(0, "STRAIGHT", 0, { 0, 0 }),
                                 alignmentLine(100, "STRAIGHT", 0, { 100, 0 }) })),
        "al1.gsi", [&](QWidget*, int number, const QString& text) {
            reported << number;
            said = text;
        });
    QSignalSpy finished(&window, &PreviewWindow::exportFinished);
    const QString path = where == "device"
        ? dir.filePath(u"NUL."_s + format)
        : dir.filePath((where == "gone" ? "gone/road." : "road.") + format);
    const auto exportTo = [&](const QString& to) {
        return format == "pdf" ? window.exportPdf(to)
            : format == "csv"  ? window.exportStations(to, 10)
                               : window.exportPng(to);
    };

    if (where == "device" && !PlatformTest::onWindows())
        QSKIP("only Windows keeps names for devices");
    const QByteArray old = "an earlier export";
    std::shared_ptr<void> held;
    if (where == "held") {
        if (!PlatformTest::onWindows())
            QSKIP("only Windows keeps other programs from replacing a file that is open");
        QFile earlier(path);
        QVERIFY(earlier.open(QIODevice::WriteOnly) && earlier.write(old) == old.size());
        earlier.close();
        held = PlatformTest::denyReading(path);
        QVERIFY(held);
    }
    if (medium) {
        medium->stop();
        // Should the write block the window's thread after all, the medium answers again in
        // 5 s, so that the row fails on the stall instead of hanging.
        std::thread watchdog([stopped = medium.get()] {
            std::this_thread::sleep_for(std::chrono::seconds(5));
            stopped->resume();
        });
        const auto join = qScopeGuard([&watchdog] { watchdog.join(); });
        QElapsedTimer clock;
        clock.start();
        QVERIFY(exportTo(medium->mountPoint() + "/road.png"));
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(window.exportPending());
        QVERIFY2(window.exportLabel()->text().contains("road.png"),
            qPrintable(window.exportLabel()->text()));
        // The newest export wins: it is written and reported while the first still waits.
        QVERIFY(exportTo(path));
        QVERIFY(finished.wait(4000));
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished[0][0].toString(), path);
        medium->resume();
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(medium->mountPoint() + "/road.png"), 10000);
        QTest::qWait(200);
        QCOMPARE(finished.size(), 1); // the first one's answer was dropped
    } else {
        QVERIFY(exportTo(path));
        QVERIFY(window.exportPending());
        QVERIFY(finished.wait(10000));
    }
    QVERIFY(!window.exportPending());
    QCOMPARE(finished.last()[1].toBool(), error == 0);
    QCOMPARE(reported, error ? QList<int> { error } : QList<int>());
    QVERIFY2(window.exportLabel()->text().contains(QFileInfo(path).fileName()),
        qPrintable(window.exportLabel()->text()));
    held.reset();
    QFile written(path);
    if (error) {
        if (where == "held") {
            QVERIFY2(said.contains("er i brug af et andet program"), qPrintable(said));
            QVERIFY(written.open(QIODevice::ReadOnly));
            QCOMPARE(written.readAll(), old);
        } else if (where == "device") {
            QVERIFY2(said.contains(u"enhedsnavn"_s), qPrintable(said));
            QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
        } else {
            QVERIFY(!written.exists());
        }
        return;
    }
    QVERIFY(written.open(QIODevice::ReadOnly));
    const QByteArray bytes = written.readAll();
    if (format == "png")
        QCOMPARE(QImage::fromData(bytes).size(), QSize(1600, 1200));
    else if (format == "pdf")
        QVERIFY(bytes.startsWith("%PDF-"));
    else
        QVERIFY2(bytes.count('\n') > 10, bytes.constData()); // a station every 10 m of 100 m
}

QTEST_MAIN(PreviewTest)
#include "tst_preview.moc"
