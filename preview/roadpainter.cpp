// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "roadpainter.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace RoadPainter {

namespace {

    QString qs(const std::string& text) { return QString::fromStdString(text); }

    // Room for the legend above the road and for the scale bar and extent below it, taken
    // from the page's own size so that a printer page keeps the proportions of the window.
    QRectF plotArea(const QRectF& page)
    {
        const double unit = std::max(4.0, std::min(page.width(), page.height()) / 60);
        return page.adjusted(unit * 4, unit * 9, -unit * 16, -unit * 10);
    }

    RoadModel::Extent extentOf(const RoadModel::Preview& preview)
    {
        RoadModel::Extent extent = preview.original.extent;
        extent.add(preview.converted.extent);
        return extent;
    }

    // 1, 2 or 5 times a power of ten, the longest that fits in `most` metres.
    double roundLength(double most)
    {
        if (!(most > 0))
            return 1;
        const double power = std::pow(10.0, std::floor(std::log10(most)));
        for (const double step : { 5.0, 2.0, 1.0 })
            if (step * power <= most)
                return step * power;
        return power;
    }

    QString shownMetres(double value)
    {
        return qs(RoadModel::metres(value)).remove(QRegularExpression(QStringLiteral(",?0+$")));
    }

    // The road as the page shows it, for keeping labels off it.
    QPainterPath roadPath(const Frame& frame, const RoadModel::Drawing& drawing, double width)
    {
        QPainterPath path;
        for (const RoadModel::Segment& segment : drawing.segments) {
            for (std::size_t i = 0; i < segment.points.size(); ++i) {
                const QPointF p = frame.toPixel(segment.points[i]);
                if (i == 0)
                    path.moveTo(p);
                else
                    path.lineTo(p);
            }
        }
        QPainterPathStroker stroker;
        stroker.setWidth(width);
        return stroker.createStroke(path);
    }

    void drawRoad(QPainter& painter, const Frame& frame, const RoadModel::Drawing& drawing,
        const QColor& colour, double width, bool everyPoint)
    {
        QPen pen(colour, width);
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        // Elements that join are drawn as one line, and points closer than a pixel as one.
        QPolygonF line;
        const auto flush = [&] {
            if (line.size() > 1)
                painter.drawPolyline(line);
            line.clear();
        };
        for (const RoadModel::Segment& segment : drawing.segments) {
            for (std::size_t i = 0; i < segment.points.size(); ++i) {
                const QPointF p = frame.toPixel(segment.points[i]);
                if (i == 0 && !line.isEmpty() && QLineF(line.last(), p).length() > 0.5)
                    flush();
                if (line.isEmpty() || QLineF(line.last(), p).length() >= 1
                    || i + 1 == segment.points.size())
                    line.append(p);
            }
        }
        flush();
        // A point's mark where it is. In the plan only where it does not cover the one before;
        // the profile's points are few and each is a point the file gives, so all are marked.
        painter.setBrush(colour);
        const double radius = width * 1.2;
        QPointF last(-1e9, -1e9);
        for (const RoadModel::Point& p : drawing.vertices) {
            const QPointF at = frame.toPixel(p);
            if (!everyPoint && QLineF(last, at).length() < radius * 8)
                continue;
            painter.drawEllipse(at, radius, radius);
            last = at;
        }
    }

    void drawLabels(QPainter& painter, const Frame& frame, const RoadModel::Drawing& drawing,
        const QColor& colour, double unit, std::vector<QRectF>& taken, const QPainterPath& avoid)
    {
        painter.setPen(colour);
        const QFontMetricsF metrics(painter.font());
        for (const RoadModel::Mark& mark : drawing.marks) {
            const QPointF at = frame.toPixel(mark.at);
            const QString text = qs(mark.text);
            const double w = metrics.horizontalAdvance(text), h = metrics.height();
            // Beside the point in each of the four corners, then further out: the first place
            // clear of the road and of every label already placed.
            for (const double away : { unit, unit * 3 }) {
                const QPointF corners[] = { { at.x() + away, at.y() - away - h },
                    { at.x() + away, at.y() + away }, { at.x() - away - w, at.y() - away - h },
                    { at.x() - away - w, at.y() + away } };
                bool placed = false;
                for (const QPointF& corner : corners) {
                    const QRectF box(corner, QSizeF(w, h));
                    if (avoid.intersects(box)
                        || std::any_of(taken.begin(), taken.end(),
                            [&box](const QRectF& other) { return other.intersects(box); }))
                        continue;
                    painter.drawText(QPointF(box.left(), box.top() + metrics.ascent()), text);
                    taken.push_back(box);
                    placed = true;
                    break;
                }
                if (placed)
                    break;
            }
        }
    }

}

QString scaleText(const Frame& frame, double pixelsPerMillimetre)
{
    // Metres on the ground per metre on the page.
    const double n = frame.scaleX > 0 ? pixelsPerMillimetre * 1000 / frame.scaleX : 0;
    if (!(n > 0))
        return QString();
    const double power = std::pow(10.0, std::floor(std::log10(n)) - 1);
    return QStringLiteral("1:%1").arg(qlonglong(std::llround(n / power) * power));
}

Frame frameFor(const RoadModel::Preview& preview, const QRectF& page, const View& view)
{
    Frame frame;
    frame.plot = plotArea(page);
    const RoadModel::Extent extent = extentOf(preview);
    // A single point, or a road along one axis, still gets a scale: a metre of room at least.
    const double width = std::max(extent.width(), 1.0);
    const double height
        = std::max(extent.height(), preview.kind == RoadModel::Kind::Alignment ? 1.0 : 0.1);
    const double across = frame.plot.width() / width;
    const double up = frame.plot.height() / height;
    if (preview.kind == RoadModel::Kind::Alignment) {
        frame.scaleX = frame.scaleY = std::min(across, up);
    } else {
        frame.scaleX = across;
        frame.scaleY = up;
    }
    frame.exaggeration = frame.scaleY / frame.scaleX;
    // Centred on the page.
    frame.originX = extent.minX - (frame.plot.width() / frame.scaleX - extent.width()) / 2;
    frame.originY = extent.minY - (frame.plot.height() / frame.scaleY - extent.height()) / 2;
    if (view.zoom != 1 || !view.pan.isNull()) {
        // About the plot's centre, then moved: the metres at the centre stay put under zoom.
        const double cx = frame.originX + frame.plot.width() / 2 / frame.scaleX;
        const double cy = frame.originY + frame.plot.height() / 2 / frame.scaleY;
        frame.scaleX *= view.zoom;
        frame.scaleY *= view.zoom;
        frame.originX = cx - (frame.plot.width() / 2 + view.pan.x()) / frame.scaleX;
        frame.originY = cy - (frame.plot.height() / 2 - view.pan.y()) / frame.scaleY;
    }
    return frame;
}

QString extentText(const RoadModel::Preview& preview)
{
    const RoadModel::Extent& e = preview.original.extent;
    if (e.empty)
        return QStringLiteral("Intet at tegne");
    if (preview.kind == RoadModel::Kind::Alignment)
        return QStringLiteral("Udstrækning: %1 m øst-vest × %2 m nord-syd")
            .arg(qs(RoadModel::metres(e.width())), qs(RoadModel::metres(e.height())));
    return QStringLiteral("Stationering %1 til %2 m, højde %3 til %4 m")
        .arg(qs(RoadModel::metres(e.minX)), qs(RoadModel::metres(e.maxX)),
            qs(RoadModel::metres(e.minY)), qs(RoadModel::metres(e.maxY)));
}

QString exaggerationText(const Frame& frame)
{
    return QStringLiteral("Højderne er overhøjet %1 gange")
        .arg(QString::number(frame.exaggeration, 'f', frame.exaggeration < 10 ? 1 : 0)
                 .replace(QLatin1Char('.'), QLatin1Char(',')));
}

void paint(QPainter& painter, const QRectF& page, const RoadModel::Preview& preview,
    const View& view, const TitleBlock* title)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(page, Qt::white);
    const Frame frame = frameFor(preview, page, view);
    const double unit = std::max(4.0, std::min(page.width(), page.height()) / 60);
    QFont font = painter.font();
    font.setPixelSize(int(std::max(9.0, unit * 1.5)));
    painter.setFont(font);
    const QFontMetricsF metrics(font);
    const bool plan = preview.kind == RoadModel::Kind::Alignment;

    // Labels keep clear of both roads and of each other, the file's own placed first.
    const double originalWidth = std::max(2.0, unit * 0.6);
    QPainterPath roads = roadPath(frame, preview.original, originalWidth + 2);
    roads.addPath(roadPath(frame, preview.converted, originalWidth + 2));
    std::vector<QRectF> taken;
    painter.save();
    painter.setClipRect(page);
    // The converted road first, so that where both agree the file's own road shows.
    drawRoad(painter, frame, preview.converted, ConvertedColour, std::max(1.5, unit / 2), !plan);
    drawRoad(painter, frame, preview.original, OriginalColour, originalWidth, !plan);
    drawLabels(painter, frame, preview.original, OriginalColour, unit, taken, roads);
    if (!plan)
        drawLabels(painter, frame, preview.converted, ConvertedColour, unit, taken, roads);
    painter.restore();

    // Legend.
    double y = page.top() + unit * 2 + metrics.ascent();
    const auto legendLine = [&](const QColor& colour, const QString& text) {
        painter.setPen(QPen(colour, unit * 0.6));
        painter.drawLine(QPointF(page.left() + unit * 4, y - metrics.ascent() / 3),
            QPointF(page.left() + unit * 8, y - metrics.ascent() / 3));
        painter.setPen(Qt::black);
        painter.drawText(QPointF(page.left() + unit * 9, y), text);
        y += metrics.height();
    };
    legendLine(OriginalColour, QStringLiteral("Filen, som den er"));
    legendLine(ConvertedColour,
        plan && !preview.converted.vertices.empty()
            ? QStringLiteral("Konverteret: øst og nord byttet, tegnet fra samme startpunkt")
            : QStringLiteral("Som konverteringen skriver den"));

    // The extent, and in the plan a scale bar and the north mark.
    painter.setPen(Qt::black);
    const double bottom = page.bottom() - unit * 2;
    painter.drawText(QPointF(page.left() + unit * 4, bottom), extentText(preview));
    if (!plan && !preview.original.extent.empty)
        painter.drawText(
            QPointF(page.left() + unit * 4, bottom - metrics.height()), exaggerationText(frame));
    if (plan) {
        const double length = roundLength(frame.plot.width() / 4 / frame.scaleX);
        const double pixels = length * frame.scaleX;
        const double barY = bottom - metrics.height() - unit;
        const double x0 = page.left() + unit * 4;
        painter.setPen(QPen(Qt::black, 1.5));
        painter.drawLine(QPointF(x0, barY), QPointF(x0 + pixels, barY));
        painter.drawLine(QPointF(x0, barY - unit), QPointF(x0, barY + unit / 2));
        painter.drawLine(QPointF(x0 + pixels, barY - unit), QPointF(x0 + pixels, barY + unit / 2));
        painter.drawText(QPointF(x0 + pixels + unit, barY + metrics.ascent() / 3),
            shownMetres(length) + QStringLiteral(" m"));
        const QPointF north(page.right() - unit * 4, bottom - metrics.height() - unit * 6);
        painter.setBrush(Qt::black);
        painter.drawPolygon(
            QPolygonF { north, north + QPointF(-unit, unit * 3), north + QPointF(unit, unit * 3) });
        painter.drawText(north
                + QPointF(-metrics.horizontalAdvance(QLatin1Char('N')) / 2,
                    unit * 3 + metrics.ascent() + 2),
            QStringLiteral("N"));
    }
    if (!plan && !preview.original.extent.empty) {
        // Axes along the plot's left and bottom edges, with the heights and chainages at the ends.
        const RoadModel::Extent& e = preview.original.extent;
        painter.setPen(QPen(Qt::gray, 1));
        const QPointF corner(frame.plot.left() - unit, frame.plot.bottom() + unit);
        painter.drawLine(corner, QPointF(frame.plot.right(), corner.y()));
        painter.drawLine(corner, QPointF(corner.x(), frame.plot.top()));
        painter.setPen(Qt::black);
        for (const double x : { e.minX, e.maxX }) {
            const double px = frame.toPixel({ x, e.minY }).x();
            painter.drawText(
                QPointF(px, corner.y() + metrics.ascent() + 2), qs(RoadModel::metres(x)));
        }
        for (const double y : { e.minY, e.maxY }) {
            const double py = frame.toPixel({ e.minX, y }).y();
            painter.save();
            painter.translate(corner.x() - 4, py);
            painter.rotate(-90);
            painter.drawText(QPointF(0, 0), qs(RoadModel::metres(y)));
            painter.restore();
        }
    }
    if (title) {
        // The title block in the lower right corner: file, date and, for the plan, the scale.
        QStringList lines { QStringLiteral("Fil: %1").arg(title->file),
            QStringLiteral("Dato: %1").arg(title->date) };
        if (plan && title->pixelsPerMillimetre > 0)
            lines
                << QStringLiteral("Målestok %1").arg(scaleText(frame, title->pixelsPerMillimetre));
        double width = 0;
        for (const QString& l : lines)
            width = std::max(width, metrics.horizontalAdvance(l));
        const QRectF box(page.right() - width - unit * 3,
            page.bottom() - unit * 2 - metrics.height() * lines.size() - unit, width + unit * 2,
            metrics.height() * lines.size() + unit);
        painter.setPen(QPen(Qt::black, 1));
        painter.setBrush(Qt::white);
        painter.drawRect(box);
        double ty = box.top() + unit / 2 + metrics.ascent();
        for (const QString& l : lines) {
            painter.drawText(QPointF(box.left() + unit, ty), l);
            ty += metrics.height();
        }
    }
    painter.restore();
}

QImage image(const RoadModel::Preview& preview, QSize size)
{
    QImage result(size, QImage::Format_RGB32);
    result.fill(Qt::white);
    QPainter painter(&result);
    paint(painter, QRectF(QPointF(0, 0), QSizeF(size)), preview);
    return result;
}

}
