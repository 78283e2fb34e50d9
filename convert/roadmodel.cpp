// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "roadmodel.h"

#include "columns.h"
#include "gsierror.h"
#include "gsiwords.h"
#include "inputfile.h"
#include "linereader.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <sstream>

namespace RoadModel {

void Extent::add(Point p)
{
    if (empty) {
        minX = maxX = p.x;
        minY = maxY = p.y;
        empty = false;
        return;
    }
    minX = std::min(minX, p.x);
    maxX = std::max(maxX, p.x);
    minY = std::min(minY, p.y);
    maxY = std::max(maxY, p.y);
}

void Extent::add(const Extent& other)
{
    if (other.empty)
        return;
    add(Point { other.minX, other.minY });
    add(Point { other.maxX, other.maxY });
}

std::string metres(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.3f", value);
    std::string shown(text);
    std::replace(shown.begin(), shown.end(), '.', ',');
    return shown == "-0,000" ? "0,000" : shown;
}

std::string elementName(Element element)
{
    switch (element) {
    case Element::Straight:
        return "retlinje";
    case Element::Curve:
        return "cirkelbue";
    case Element::Spiral:
        return "overgangskurve";
    case Element::Unknown:
        break;
    }
    return "ukendt";
}

namespace {

    using GsiWords::Problem;
    using GsiWords::Word;

    // The words a line gives the drawing, each either read or with the reason it could not be.
    struct Value {
        bool present = false;
        Problem problem = Problem::None;
        double metres = 0;
        bool ok() const { return present && problem == Problem::None; }
    };

    // A point as its line gives it, before it is joined to the next.
    struct FilePoint {
        Point at;
        Element element = Element::Unknown;
        std::string elementText;
        bool elementKnown = false; // word 71 present
        Value radius; // word 72
        Value chainage; // word 11
        int line = 0;
    };

    class Reader {
    public:
        Reader(Kind kind, Drawing& drawing, Summary& summary, bool converted)
            : m_kind(kind)
            , m_drawing(drawing)
            , m_summary(summary)
            , m_converted(converted)
        {
        }

        void read(std::string_view bytes)
        {
            std::istringstream stream { std::string(bytes) };
            LineReader reader(stream, std::min(bytes.size() + 1, LineReader::DefaultChunkSize));
            std::string line;
            int number = 0;
            int kept = 0;
            while (reader.next(line)) {
                // The conversion's own limit, counted as it counts: a file it refuses is not
                // read on, which also bounds what a file of millions of short lines can cost.
                if (kept == Module1::MaxLines) {
                    m_summary.tooManyLines = true;
                    break;
                }
                ++number;
                if (!m_converted)
                    ++m_summary.linesRead;
                if (m_kind == Kind::Profile || !Columns::isDropped(line))
                    ++kept;
                readLine(number, line);
            }
            if (m_kind == Kind::Alignment)
                joinAlignment();
            else
                joinProfile();
        }

    private:
        void undrawn(int line, std::string reason, std::string_view text)
        {
            m_summary.undrawn.push_back(
                { line, m_converted, std::move(reason), std::string(text) });
        }

        Value value(int index)
        {
            Value v;
            for (const Word& word : m_words) {
                if (word.index != index)
                    continue;
                v.present = true;
                v.problem = GsiWords::length(word, v.metres);
                if (v.problem == Problem::None && !m_converted) {
                    GsiWords::LengthUnit unit {};
                    GsiWords::lengthUnit(word.unit, unit);
                    if (std::find(m_summary.units.begin(), m_summary.units.end(), unit.name)
                        == m_summary.units.end())
                        m_summary.units.emplace_back(unit.name);
                }
                break;
            }
            return v;
        }

        const Word* word(int index) const
        {
            for (const Word& w : m_words)
                if (w.index == index)
                    return &w;
            return nullptr;
        }

        static std::string wordProblem(int index, const Value& v)
        {
            return "ord " + std::to_string(index) + ": " + GsiWords::describe(v.problem);
        }

        void readLine(int number, std::string_view line)
        {
            if (m_kind == Kind::Alignment && Columns::isDropped(line)) {
                if (!m_converted)
                    ++m_summary.dropped;
                return;
            }
            const Problem split = GsiWords::split(line, m_words);
            if (split != Problem::None) {
                undrawn(number, GsiWords::describe(split), line);
                return;
            }
            if (m_kind == Kind::Alignment)
                readAlignmentLine(number, line);
            else
                readProfileLine(number, line);
        }

        void readAlignmentLine(int number, std::string_view line)
        {
            const Value east = value(81);
            const Value north = value(82);
            const Value chainage = value(11);
            const Word* element = word(71);
            if (!east.present && !north.present) {
                // A heading or a remark: only a line that names an element is missed.
                if (element)
                    undrawn(number, "mangler koordinaterne (ord 81 og 82)", line);
                return;
            }
            if (!east.present || !north.present) {
                undrawn(
                    number, east.present ? "mangler ord 82 (nord)" : "mangler ord 81 (øst)", line);
                return;
            }
            if (!east.ok() || !north.ok()) {
                undrawn(number, wordProblem(east.ok() ? 82 : 81, east.ok() ? north : east), line);
                return;
            }
            FilePoint p;
            p.at = { east.metres, north.metres };
            p.line = number;
            p.chainage = chainage;
            p.radius = value(72);
            if (element) {
                p.elementKnown = true;
                p.elementText = GsiWords::text(*element);
                if (p.elementText == "STRAIGHT")
                    p.element = Element::Straight;
                else if (p.elementText == "CURVE")
                    p.element = Element::Curve;
                else if (p.elementText == "SPIRAL" || p.elementText == "CLOTHOID")
                    p.element = Element::Spiral;
            }
            if (chainage.present && !chainage.ok())
                undrawn(number,
                    wordProblem(11, chainage) + " (punktet er tegnet uden stationering)", line);
            m_points.push_back(std::move(p));
            m_lines.emplace_back(line);
        }

        void readProfileLine(int number, std::string_view line)
        {
            const Value chainage = value(11);
            const Value height = value(83);
            const Value curve = value(72);
            if (!height.present) {
                if (chainage.present || curve.present)
                    undrawn(number, "mangler højden (ord 83)", line);
                return;
            }
            if (!chainage.present) {
                undrawn(number, "mangler stationeringen (ord 11)", line);
                return;
            }
            if (!chainage.ok() || !height.ok()) {
                undrawn(number,
                    wordProblem(chainage.ok() ? 83 : 11, chainage.ok() ? height : chainage), line);
                return;
            }
            const Point at { chainage.metres, height.metres };
            if (!m_drawing.vertices.empty() && at.x < m_drawing.vertices.back().x) {
                undrawn(number, "stationeringen går tilbage", line);
                return;
            }
            m_drawing.vertices.push_back(at);
            m_drawing.extent.add(at);
            if (!m_converted)
                ++m_summary.coordinateLines;
            if (curve.present && !curve.ok())
                undrawn(number, wordProblem(72, curve) + " (punktet er tegnet)", line);
            else if (curve.ok() && curve.metres != 0)
                m_drawing.marks.push_back({ at, "72: " + metres(curve.metres) });
        }

        void joinProfile()
        {
            if (m_drawing.vertices.size() < 2)
                return;
            Segment s;
            s.points = m_drawing.vertices;
            m_drawing.segments.push_back(std::move(s));
        }

        void count(Element element)
        {
            if (m_converted)
                return;
            switch (element) {
            case Element::Straight:
                ++m_summary.straights;
                break;
            case Element::Curve:
                ++m_summary.curves;
                break;
            case Element::Spiral:
                ++m_summary.spirals;
                break;
            case Element::Unknown:
                ++m_summary.unknownElements;
                break;
            }
        }

        void joinAlignment()
        {
            Point tangent {};
            bool haveTangent = false;
            for (std::size_t i = 0; i < m_points.size(); ++i) {
                const FilePoint& p = m_points[i];
                m_drawing.vertices.push_back(p.at);
                m_drawing.extent.add(p.at);
                if (!m_converted)
                    ++m_summary.coordinateLines;
                if (p.chainage.ok())
                    m_drawing.marks.push_back({ p.at, metres(p.chainage.metres) });
                // The last point ends the road; its element names nothing that follows.
                if (i + 1 == m_points.size())
                    break;
                count(p.element);
                Segment s;
                s.element = p.element;
                s.line = p.line;
                const Point to = m_points[i + 1].at;
                const std::string_view text = m_lines[i];
                if (p.element == Element::Unknown) {
                    undrawn(p.line,
                        p.elementKnown ? "elementtypen \"" + p.elementText
                                + "\" kendes ikke; stykket til næste punkt er ikke tegnet"
                                       : "mangler elementtypen (ord 71); stykket til næste punkt "
                                         "er ikke tegnet",
                        text);
                    haveTangent = false;
                    continue;
                }
                const double dx = to.x - p.at.x, dy = to.y - p.at.y;
                const double chord = std::hypot(dx, dy);
                if (p.element == Element::Straight || chord == 0) {
                    s.points = { p.at, to };
                    if (chord > 0) {
                        tangent = { dx / chord, dy / chord };
                        haveTangent = true;
                    }
                } else if (p.element == Element::Curve) {
                    if (!p.radius.present || !p.radius.ok()) {
                        undrawn(p.line,
                            p.radius.present ? wordProblem(72, p.radius)
                                             : "kurven mangler radius (ord 72)",
                            text);
                        haveTangent = false;
                        continue;
                    }
                    const double r = std::abs(p.radius.metres);
                    if (r < chord / 2) {
                        undrawn(p.line,
                            "radius " + metres(r) + " m er mindre end halvdelen af afstanden "
                                + metres(chord) + " m til næste punkt",
                            text);
                        haveTangent = false;
                        continue;
                    }
                    tangent = arc(p.at, to, p.radius.metres, s.points);
                    haveTangent = true;
                } else {
                    tangent = spiral(p.at, to,
                        haveTangent ? tangent : Point { dx / chord, dy / chord }, s.points);
                    haveTangent = true;
                }
                m_drawing.segments.push_back(std::move(s));
            }
        }

        // A circular arc from `from` to `to` of radius |r|: a positive radius turns right
        // (clockwise, seen from above with north up), a negative one left, as the conversion
        // reverses the sign where it mirrors the road. The shorter of the two arcs, as an
        // element is never more than half a circle. Returns the direction at the end.
        static Point arc(Point from, Point to, double r, std::vector<Point>& out)
        {
            const double dx = to.x - from.x, dy = to.y - from.y;
            const double chord = std::hypot(dx, dy);
            const double radius = std::abs(r);
            const double h = std::sqrt(std::max(0.0, radius * radius - chord * chord / 4));
            const Point left { -dy / chord, dx / chord };
            const bool right = r > 0;
            const double side = right ? -h : h;
            const Point centre { (from.x + to.x) / 2 + side * left.x,
                (from.y + to.y) / 2 + side * left.y };
            const double a0 = std::atan2(from.y - centre.y, from.x - centre.x);
            const double a1 = std::atan2(to.y - centre.y, to.x - centre.x);
            double sweep = a1 - a0;
            constexpr double turn = 2 * std::numbers::pi;
            if (right) {
                while (sweep > 0)
                    sweep -= turn;
            } else {
                while (sweep < 0)
                    sweep += turn;
            }
            const int steps
                = std::max(8, int(std::ceil(std::abs(sweep) / (std::numbers::pi / 90))));
            out.clear();
            out.reserve(std::size_t(steps) + 1);
            out.push_back(from);
            for (int k = 1; k < steps; ++k) {
                const double a = a0 + sweep * k / steps;
                out.push_back({ centre.x + radius * std::cos(a), centre.y + radius * std::sin(a) });
            }
            out.push_back(to);
            return right ? Point { std::sin(a1), -std::cos(a1) }
                         : Point { -std::sin(a1), std::cos(a1) };
        }

        // A spiral is drawn as a parabola: it leaves `from` in the direction the road arrives
        // in and bends evenly to reach `to`. A transition spiral's curvature grows along it as a
        // parabola's nearly does over the short lengths roads use, and the file gives no more
        // than its two ends, so this shows where it goes without claiming its exact course.
        static Point spiral(Point from, Point to, Point tangent, std::vector<Point>& out)
        {
            const double chord = std::hypot(to.x - from.x, to.y - from.y);
            const Point control { from.x + tangent.x * chord / 2, from.y + tangent.y * chord / 2 };
            constexpr int steps = 24;
            out.clear();
            out.reserve(steps + 1);
            for (int k = 0; k <= steps; ++k) {
                const double t = double(k) / steps, u = 1 - t;
                out.push_back({ u * u * from.x + 2 * u * t * control.x + t * t * to.x,
                    u * u * from.y + 2 * u * t * control.y + t * t * to.y });
            }
            const double ex = to.x - control.x, ey = to.y - control.y;
            const double e = std::hypot(ex, ey);
            return e > 0 ? Point { ex / e, ey / e } : tangent;
        }

        Kind m_kind;
        Drawing& m_drawing;
        Summary& m_summary;
        bool m_converted;
        std::vector<Word> m_words;
        std::vector<FilePoint> m_points;
        std::vector<std::string> m_lines;
    };

    void shift(Drawing& drawing, Point by)
    {
        auto move = [by](Point& p) {
            p.x += by.x;
            p.y += by.y;
        };
        for (Point& p : drawing.vertices)
            move(p);
        for (Segment& s : drawing.segments)
            for (Point& p : s.points)
                move(p);
        for (Mark& m : drawing.marks)
            move(m.at);
        drawing.extent = {};
        for (const Point& p : drawing.vertices)
            drawing.extent.add(p);
        for (const Segment& s : drawing.segments)
            for (const Point& p : s.points)
                drawing.extent.add(p);
    }

    void addSegmentsToExtent(Drawing& drawing)
    {
        for (const Segment& s : drawing.segments)
            for (const Point& p : s.points)
                drawing.extent.add(p);
    }

}

Converted convert(Kind kind, std::string_view bytes)
{
    Converted result;
    try {
        result.bytes = Module1::convertBytes(kind, bytes);
    } catch (const GsiError& error) {
        result.error = "Fejl " + std::to_string(error.number()) + ": " + error.description();
    }
    return result;
}

Preview build(Kind kind, std::string_view bytes)
{
    return build(kind, bytes, convert(kind, bytes));
}

Preview build(Kind kind, std::string_view bytes, const Converted& converted)
{
    Preview preview;
    preview.kind = kind;
    Reader(kind, preview.original, preview.summary, false).read(bytes);
    addSegmentsToExtent(preview.original);
    if (converted.error.empty()) {
        Reader(kind, preview.converted, preview.summary, true).read(converted.bytes);
        addSegmentsToExtent(preview.converted);
    } else {
        preview.summary.conversionError = converted.error;
    }
    // Easting and northing change places, so the converted road lies far from the input's in
    // most files; drawn from the same first point, the two can be compared by shape.
    if (kind == Kind::Alignment && !preview.original.vertices.empty()
        && !preview.converted.vertices.empty()) {
        const Point a = preview.original.vertices.front(), b = preview.converted.vertices.front();
        preview.summary.convertedShift = { a.x - b.x, a.y - b.y };
        if (a.x != b.x || a.y != b.y)
            shift(preview.converted, preview.summary.convertedShift);
    }
    return preview;
}

Preview load(Kind kind, const std::filesystem::path& path)
{
    InputFile file(path, MaxFileBytes);
    const std::string bytes = file.readAll();
    Preview preview = build(kind, bytes);
    if (preview.summary.tooManyLines)
        throw GsiError(GsiError::SubscriptOutOfRange,
            "Filen " + shownPath(path) + " har mere end " + std::to_string(Module1::MaxLines)
                + " linjer og kan hverken konverteres eller vises");
    return preview;
}

}
