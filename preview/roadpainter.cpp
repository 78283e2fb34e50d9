// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "roadpainter.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <vector>

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

    // What labels must keep clear of: the roads and the point marks, as cells of a grid over the
    // page. Once everything is marked, a table of sums over the grid answers whether a label's
    // box covers any of it at once, however much road runs near.
    class Occupied {
    public:
        Occupied(const QRectF& page, double cell)
            : m_page(page)
            , m_cell(cell)
            , m_columns(std::max(1, int(std::ceil(page.width() / cell))))
            , m_rows(std::max(1, int(std::ceil(page.height() / cell))))
            , m_marked(std::size_t(m_columns) * std::size_t(m_rows), 0)
        {
        }

        // The box's cells, clipped to the page.
        void mark(const QRectF& box)
        {
            int x0, y0, x1, y1;
            if (!cells(box, x0, y0, x1, y1))
                return;
            for (int y = y0; y <= y1; ++y)
                std::fill_n(m_marked.begin() + std::ptrdiff_t(y) * m_columns + x0, x1 - x0 + 1, 1);
        }

        // A line `halfWidth` pixels to either side, walked where it crosses the page only, so a
        // road zoomed far beyond the page costs no more than one on it.
        void markLine(QPointF a, QPointF b, double halfWidth)
        {
            const QRectF room = m_page.adjusted(-halfWidth, -halfWidth, halfWidth, halfWidth);
            double t0 = 0, t1 = 1;
            const QPointF d = b - a;
            // The segment cut to the room, one edge at a time.
            const double p[] = { -d.x(), d.x(), -d.y(), d.y() };
            const double q[] = { a.x() - room.left(), room.right() - a.x(), a.y() - room.top(),
                room.bottom() - a.y() };
            for (int k = 0; k < 4; ++k) {
                if (p[k] == 0) {
                    if (q[k] < 0)
                        return;
                    continue;
                }
                const double t = q[k] / p[k];
                if (p[k] < 0)
                    t0 = std::max(t0, t);
                else
                    t1 = std::min(t1, t);
            }
            if (!(t0 <= t1))
                return;
            const QPointF from = a + d * t0, to = a + d * t1;
            const int steps = int(std::ceil(QLineF(from, to).length() / (m_cell / 2)));
            const QPointF half(halfWidth, halfWidth);
            for (int k = 0; k <= steps; ++k) {
                const QPointF at = from + (to - from) * (steps ? double(k) / steps : 0);
                mark(QRectF(at - half, at + half));
            }
        }

        // Ready for `clear`: the sums of every rectangle from the page's corner.
        void seal()
        {
            m_sums.assign(std::size_t(m_columns + 1) * std::size_t(m_rows + 1), 0);
            for (int y = 0; y < m_rows; ++y)
                for (int x = 0; x < m_columns; ++x)
                    sum(x + 1, y + 1)
                        = m_marked[std::size_t(y) * std::size_t(m_columns) + std::size_t(x)]
                        + sum(x, y + 1) + sum(x + 1, y) - sum(x, y);
        }

        // Whether the box lies on the page and covers nothing marked.
        bool clear(const QRectF& box) const
        {
            int x0, y0, x1, y1;
            if (!m_page.contains(box) || !cells(box, x0, y0, x1, y1))
                return false;
            return sum(x1 + 1, y1 + 1) - sum(x0, y1 + 1) - sum(x1 + 1, y0) + sum(x0, y0) == 0;
        }

    private:
        bool cells(const QRectF& box, int& x0, int& y0, int& x1, int& y1) const
        {
            const auto column = [&](double x) {
                return int(
                    std::clamp(std::floor((x - m_page.left()) / m_cell), -1.0, double(m_columns)));
            };
            const auto row = [&](double y) {
                return int(
                    std::clamp(std::floor((y - m_page.top()) / m_cell), -1.0, double(m_rows)));
            };
            x0 = std::max(0, column(box.left()));
            x1 = std::min(m_columns - 1, column(box.right()));
            y0 = std::max(0, row(box.top()));
            y1 = std::min(m_rows - 1, row(box.bottom()));
            return x0 <= x1 && y0 <= y1;
        }
        int& sum(int x, int y)
        {
            return m_sums[std::size_t(y) * std::size_t(m_columns + 1) + std::size_t(x)];
        }
        int sum(int x, int y) const
        {
            return m_sums[std::size_t(y) * std::size_t(m_columns + 1) + std::size_t(x)];
        }

        QRectF m_page;
        double m_cell;
        int m_columns, m_rows;
        std::vector<unsigned char> m_marked;
        std::vector<int> m_sums;
    };

    // The labels placed so far, filed by cell so that a label looks only at its neighbours.
    class LabelCells {
    public:
        bool overlaps(const QRectF& box) const
        {
            for (int cx = cell(box.left()); cx <= cell(box.right()); ++cx)
                for (int cy = cell(box.top()); cy <= cell(box.bottom()); ++cy) {
                    const auto found = m_cells.find(key(cx, cy));
                    if (found != m_cells.end())
                        for (const QRectF& other : found->second)
                            if (other.intersects(box))
                                return true;
                }
            return false;
        }
        void add(const QRectF& box)
        {
            for (int cx = cell(box.left()); cx <= cell(box.right()); ++cx)
                for (int cy = cell(box.top()); cy <= cell(box.bottom()); ++cy)
                    m_cells[key(cx, cy)].push_back(box);
        }

    private:
        static int cell(double v) { return int(std::floor(std::clamp(v, -1e7, 1e7) / 64)); }
        static long long key(int x, int y) { return (long long)(x)*2000003 + y; }
        std::unordered_map<long long, std::vector<QRectF>> m_cells;
    };

    // The line widths of both roads on a page of this unit.
    double originalWidth(double unit) { return std::max(2.0, unit * 0.6); }
    double convertedWidth(double unit) { return std::max(1.5, unit / 2); }

    // A point's mark where it is. In the plan only where it does not cover the one before; the
    // profile's points are few and each is a point the file gives, so all are marked.
    std::vector<Dot> dotsOf(
        const Frame& frame, const RoadModel::Drawing& drawing, double width, bool everyPoint)
    {
        std::vector<Dot> dots;
        const double radius = width * 1.2;
        QPointF last(-1e9, -1e9);
        for (const RoadModel::Point& p : drawing.vertices) {
            const QPointF at = frame.toPixel(p);
            if (!everyPoint && QLineF(last, at).length() < radius * 8)
                continue;
            dots.push_back({ at, radius });
            last = at;
        }
        return dots;
    }

    void drawRoad(QPainter& painter, const Frame& frame, const RoadModel::Drawing& drawing,
        const QColor& colour, double width, const std::vector<Dot>& dots)
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
        painter.setBrush(colour);
        for (const Dot& dot : dots)
            painter.drawEllipse(dot.at, dot.radius, dot.radius);
    }

    // Beside each mark's point in each of the four corners, then further out: the first place
    // on the page clear of the roads, of the point marks and of every label already placed.
    void placeLabels(const Frame& frame, const RoadModel::Drawing& drawing, bool converted,
        const QFontMetricsF& metrics, double unit, const Occupied& occupied, LabelCells& taken,
        std::vector<Label>& labels)
    {
        for (const RoadModel::Mark& mark : drawing.marks) {
            const QPointF at = frame.toPixel(mark.at);
            const double h = metrics.height();
            // A box half as wide as it is high lies inside any label's (a chainage or a grade) in
            // each corner, on the point's side: where none of those is clear, no label is, and its
            // text need not be measured. On a crowded road that is most of them, and measuring
            // the text is what costs.
            const auto clearIn = [&](double w, double away) {
                const QPointF corners[] = { { at.x() + away, at.y() - away - h },
                    { at.x() + away, at.y() + away }, { at.x() - away - w, at.y() - away - h },
                    { at.x() - away - w, at.y() + away } };
                for (const QPointF& corner : corners) {
                    const QRectF box(corner, QSizeF(w, h));
                    if (occupied.clear(box) && !taken.overlaps(box))
                        return box;
                }
                return QRectF();
            };
            if (clearIn(h / 2, unit).isNull() && clearIn(h / 2, unit * 3).isNull())
                continue;
            const QString text = qs(mark.text);
            const double w = metrics.horizontalAdvance(text);
            for (const double away : { unit, unit * 3 }) {
                const QRectF box = clearIn(w, away);
                if (box.isNull())
                    continue;
                taken.add(box);
                labels.push_back({ box, text, converted });
                break;
            }
        }
    }

    double unitOf(const QRectF& page)
    {
        return std::max(4.0, std::min(page.width(), page.height()) / 60);
    }

    QFont labelFont(const QRectF& page, QFont font)
    {
        font.setPixelSize(int(std::max(9.0, unitOf(page) * 1.5)));
        return font;
    }

}

Layout layout(
    const RoadModel::Preview& preview, const QRectF& page, const View& view, const QFont& font)
{
    Layout result;
    const Frame frame = frameFor(preview, page, view);
    const double unit = unitOf(page);
    const bool plan = preview.kind == RoadModel::Kind::Alignment;
    result.originalDots = dotsOf(frame, preview.original, originalWidth(unit), !plan);
    result.convertedDots = dotsOf(frame, preview.converted, convertedWidth(unit), !plan);

    // Labels keep clear of both roads, a little wider than the file's own is drawn, and of every
    // point mark with a pixel to spare.
    Occupied occupied(page, std::max(1.0, unit / 4));
    const double halfWidth = originalWidth(unit) / 2 + 1;
    for (const RoadModel::Drawing* drawing : { &preview.original, &preview.converted })
        for (const RoadModel::Segment& segment : drawing->segments)
            for (std::size_t i = 0; i + 1 < segment.points.size(); ++i)
                occupied.markLine(frame.toPixel(segment.points[i]),
                    frame.toPixel(segment.points[i + 1]), halfWidth);
    for (const std::vector<Dot>* dots : { &result.originalDots, &result.convertedDots })
        for (const Dot& dot : *dots) {
            const double r = dot.radius + 1;
            occupied.mark(QRectF(dot.at - QPointF(r, r), dot.at + QPointF(r, r)));
        }
    occupied.seal();

    // The file's own labels placed first.
    const QFontMetricsF metrics(labelFont(page, font));
    LabelCells taken;
    placeLabels(frame, preview.original, false, metrics, unit, occupied, taken, result.labels);
    if (!plan)
        placeLabels(frame, preview.converted, true, metrics, unit, occupied, taken, result.labels);
    return result;
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
    const double unit = unitOf(page);
    const QFont font = labelFont(page, painter.font());
    painter.setFont(font);
    const QFontMetricsF metrics(font);
    const bool plan = preview.kind == RoadModel::Kind::Alignment;

    const Layout placed = layout(preview, page, view, painter.font());
    painter.save();
    painter.setClipRect(page);
    // The converted road first, so that where both agree the file's own road shows.
    drawRoad(painter, frame, preview.converted, ConvertedColour, convertedWidth(unit),
        placed.convertedDots);
    drawRoad(
        painter, frame, preview.original, OriginalColour, originalWidth(unit), placed.originalDots);
    for (const Label& label : placed.labels) {
        painter.setPen(label.converted ? ConvertedColour : OriginalColour);
        painter.drawText(QPointF(label.box.left(), label.box.top() + metrics.ascent()), label.text);
    }
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
