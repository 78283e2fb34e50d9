// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "road.h"

#include "shownname.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>

namespace Road {

using Geometry::Piece;
using Geometry::Pose;

Kind kindOf(std::string_view text)
{
    while (!text.empty() && text.front() == '0')
        text.remove_prefix(1);
    if (text == "STRAIGHT")
        return Kind::Straight;
    if (text == "CURVE")
        return Kind::Curve;
    if (text == "SPIRIN")
        return Kind::SpiralIn;
    if (text == "SPIROUT")
        return Kind::SpiralOut;
    if (text == "CURVEIN")
        return Kind::CurveIn;
    if (text == "CURVEOUT")
        return Kind::CurveOut;
    if (text == "PARABOLA")
        return Kind::Parabola;
    if (text == "EOP")
        return Kind::End;
    return Kind::Unknown;
}

std::string kindName(Kind kind)
{
    switch (kind) {
    case Kind::Straight:
        return "retlinje";
    case Kind::Curve:
        return "cirkelbue";
    case Kind::SpiralIn:
        return "overgangskurve ind";
    case Kind::SpiralOut:
        return "overgangskurve ud";
    case Kind::CurveIn:
        return "overgangskurve mellem buer (ind)";
    case Kind::CurveOut:
        return "overgangskurve mellem buer (ud)";
    case Kind::Parabola:
        return "parabel";
    case Kind::End:
        return "projektets slutpunkt";
    case Kind::Unknown:
        break;
    }
    return "ukendt";
}

std::string fixed(double value, int decimals)
{
    char text[64];
    const auto result
        = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    std::string shown(text, result.ptr);
    if (shown.starts_with('-') && shown.find_first_not_of("-0.") == std::string::npos)
        shown.erase(0, 1);
    return shown;
}

namespace {

    // Danish numbers in the findings: a decimal comma.
    std::string comma(double value, int decimals)
    {
        std::string shown = fixed(value, decimals);
        std::replace(shown.begin(), shown.end(), '.', ',');
        return shown;
    }

    bool isSpiral(Kind kind)
    {
        return kind == Kind::SpiralIn || kind == Kind::SpiralOut || kind == Kind::CurveIn
            || kind == Kind::CurveOut;
    }

    // Curvature at the start and its rate of change for an element of `length` metres. A
    // positive radius or A-parameter turns right, which is a negative curvature here.
    struct Shape {
        double curvature = 0, rate = 0;
    };

    bool shapeOf(const Point& p, double length, Shape& shape, std::string& problem)
    {
        const double a = p.parameter;
        switch (p.kind) {
        case Kind::Straight:
            shape = {};
            return true;
        case Kind::Curve:
            if (a == 0) {
                problem = "cirkelbuen mangler radius (ord 72)";
                return false;
            }
            shape = { -1 / a, 0 };
            return true;
        case Kind::SpiralIn:
        case Kind::SpiralOut: {
            if (a == 0) {
                problem = "overgangskurven mangler A-parameter (ord 72)";
                return false;
            }
            // A² = L·R: the curvature changes by 1/A² per metre, whatever the length.
            const double rate = (a > 0 ? -1 : 1) / (a * a);
            shape = p.kind == Kind::SpiralIn ? Shape { 0, rate } : Shape { rate * length, -rate };
            return true;
        }
        case Kind::CurveIn:
        case Kind::CurveOut:
            if (a == 0 || p.parameter2 == 0) {
                problem = "overgangskurven mellem buer mangler radius 1 (ord 72) eller radius 2 "
                          "(ord 74)";
                return false;
            }
            shape = { -1 / a, length > 0 ? (-1 / p.parameter2 + 1 / a) / length : 0 };
            return true;
        case Kind::Parabola:
        case Kind::End:
        case Kind::Unknown:
            break;
        }
        problem = p.name.empty() ? std::string("mangler elementtypen (ord 71)")
                                 : "elementtypen \"" + p.name + "\" kendes ikke i en linjeføring";
        problem += "; stykket til næste punkt er ikke tegnet";
        return false;
    }

    double chordOf(const Point& p, double length)
    {
        Shape shape;
        std::string ignored;
        shapeOf(p, length, shape, ignored);
        const Pose end = Geometry::localEnd(length, shape.curvature, shape.rate);
        return std::hypot(end.x, end.y);
    }

    double turning(const Point& p, double length)
    {
        Shape shape;
        std::string ignored;
        shapeOf(p, length, shape, ignored);
        return std::max(std::abs(shape.curvature), std::abs(shape.curvature + shape.rate * length))
            * length;
    }

    // The length of an element of this kind that reaches from its start point to `chord`
    // metres away: the geometric length. The chord never exceeds the length, and it grows with
    // the length until the element has turned half a circle, beyond which no road element goes.
    bool geometricLength(const Point& p, double chord, double guess, double& length)
    {
        if (p.kind == Kind::Straight) {
            length = chord;
            return true;
        }
        if (p.kind == Kind::Curve) {
            const double r = std::abs(p.parameter);
            if (chord > 2 * r)
                return false;
            length = 2 * r * std::asin(std::min(1.0, chord / (2 * r)));
            return true;
        }
        double lo = chord, hi = std::max(chord, guess) * 1.01 + 0.001;
        double flo = chordOf(p, lo) - chord, fhi = chordOf(p, hi) - chord;
        for (int grow = 0; fhi < 0 && grow < 60; ++grow) {
            if (turning(p, hi) > std::numbers::pi)
                return false;
            lo = hi;
            flo = fhi;
            hi *= 1.3;
            fhi = chordOf(p, hi) - chord;
        }
        if (fhi < 0)
            return false;
        if (flo >= 0) {
            length = lo;
            return true;
        }
        // Regula falsi with the Illinois step: a handful of evaluations to a micrometre.
        int side = 0;
        double mid = lo;
        for (int k = 0; k < 100 && hi - lo > 1e-9; ++k) {
            mid = (lo * fhi - hi * flo) / (fhi - flo);
            const double fmid = chordOf(p, mid) - chord;
            if (std::abs(fmid) < 1e-10)
                break;
            if ((fmid < 0) == (flo < 0)) {
                lo = mid;
                flo = fmid;
                if (side == -1)
                    fhi /= 2;
                side = -1;
            } else {
                hi = mid;
                fhi = fmid;
                if (side == 1)
                    flo /= 2;
                side = 1;
            }
        }
        length = mid;
        return true;
    }

    std::string lineOf(int line) { return "linje " + std::to_string(line); }

    // The radius at either end of an element for the check, signed (positive: to the right),
    // 0 for a straight end. Uses the chainage length, as the instrument does.
    double endRadius(const Point& p, double chainageLength, bool atEnd)
    {
        switch (p.kind) {
        case Kind::Curve:
            return p.parameter;
        case Kind::SpiralIn:
            return atEnd && chainageLength > 0
                ? p.parameter * p.parameter / chainageLength * (p.parameter > 0 ? 1 : -1)
                : 0;
        case Kind::SpiralOut:
            return !atEnd && chainageLength > 0
                ? p.parameter * p.parameter / chainageLength * (p.parameter > 0 ? 1 : -1)
                : 0;
        case Kind::CurveIn:
        case Kind::CurveOut:
            return atEnd ? p.parameter2 : p.parameter;
        default:
            return 0;
        }
    }

    std::string radiusText(double r)
    {
        return r == 0 ? std::string("retlinje (ingen radius)") : "radius " + comma(r, 3) + " m";
    }

}

double Alignment::length() const
{
    // As the chainages measure it, which is what a surveyor stakes out by.
    double total = 0;
    for (const Element& e : elements)
        total += e.chainageLength;
    return total;
}

double Alignment::startChainage() const
{
    return elements.empty() ? 0 : elements.front().startChainage;
}

Alignment layAlignment(std::vector<Point> points)
{
    Alignment road;
    road.points = std::move(points);
    const std::vector<Point>& pts = road.points;
    std::vector<double> chainageLength;
    for (std::size_t i = 0; i + 1 < pts.size(); ++i) {
        const Point& p = pts[i];
        const Point& q = pts[i + 1];
        if (p.kind == Kind::End) {
            road.findings.push_back({ Finding::Type::Shape, q.line, 0,
                lineOf(q.line) + ": punktet ligger efter projektets slutpunkt og er ikke med" });
            break;
        }
        const double dx = q.x - p.x, dy = q.y - p.y;
        const double chord = std::hypot(dx, dy);
        const bool chained = p.hasChainage && q.hasChainage;
        const double byChainage = chained ? q.chainage - p.chainage : chord;
        Shape probe;
        std::string problem;
        if (!shapeOf(p, byChainage, probe, problem)) {
            road.findings.push_back(
                { Finding::Type::Shape, p.line, 0, lineOf(p.line) + ": " + problem });
            continue;
        }
        if (chord == 0) {
            road.findings.push_back({ Finding::Type::Shape, p.line, 0,
                lineOf(p.line) + ": elementet har samme start- og slutpunkt" });
            continue;
        }
        double length = 0;
        if (!geometricLength(p, chord, byChainage, length)) {
            road.findings.push_back({ Finding::Type::Shape, p.line, 0,
                lineOf(p.line) + ": en " + kindName(p.kind) + " med " + radiusText(p.parameter)
                    + " når ikke de " + comma(chord, 3) + " m til næste punkt" });
            continue;
        }
        Shape shape;
        shapeOf(p, length, shape, problem);
        const Pose local = Geometry::localEnd(length, shape.curvature, shape.rate);
        Element e;
        e.point = i;
        e.kind = p.kind;
        e.piece.start = { p.x, p.y, std::atan2(dy, dx) - std::atan2(local.y, local.x) };
        e.piece.length = length;
        e.piece.curvature = shape.curvature;
        e.piece.rate = shape.rate;
        e.chainageLength = byChainage;
        e.startChainage = p.hasChainage ? p.chainage
            : road.elements.empty()
            ? 0
            : road.elements.back().startChainage + road.elements.back().chainageLength;
        if (chained) {
            const double off = std::abs(byChainage - length) * 1000;
            if (off > LengthTolerance)
                road.findings.push_back({ Finding::Type::Length, p.line, off,
                    lineOf(p.line) + ": " + kindName(p.kind) + " er " + comma(byChainage, 3)
                        + " m efter stationeringen, men " + comma(length, 3)
                        + " m efter koordinaterne (forskel " + comma(off, 1) + " mm; tolerance "
                        + comma(LengthTolerance, 0) + " mm)" });
            Shape byShape;
            shapeOf(p, byChainage, byShape, problem);
            Piece computed = e.piece;
            computed.length = byChainage;
            computed.curvature = byShape.curvature;
            computed.rate = byShape.rate;
            const Pose end = computed.at(byChainage);
            const double miss = std::hypot(end.x - q.x, end.y - q.y) * 1000;
            if (miss > EndTolerance)
                road.findings.push_back({ Finding::Type::End, p.line, miss,
                    lineOf(p.line) + ": det beregnede slutpunkt ligger " + comma(miss, 1)
                        + " mm fra næste punkt på " + lineOf(q.line) + " (tolerance "
                        + comma(EndTolerance, 0) + " mm)" });
        }
        road.elements.push_back(e);
    }
    // The joints between elements that follow each other.
    for (std::size_t k = 0; k + 1 < road.elements.size(); ++k) {
        const Element& a = road.elements[k];
        const Element& b = road.elements[k + 1];
        if (b.point != a.point + 1)
            continue;
        const Point& joint = pts[b.point];
        const double kink
            = Geometry::turn(a.piece.headingAt(a.piece.length), b.piece.start.heading);
        const double across = std::abs(kink) * 10000;
        if (across > KinkTolerance)
            road.findings.push_back({ Finding::Type::Kink, joint.line, across,
                lineOf(joint.line) + ": knæk på "
                    + comma(std::abs(kink) * 200000 / std::numbers::pi, 1) + " mgon mellem "
                    + kindName(a.kind) + " og " + kindName(b.kind) + " (" + comma(across, 1)
                    + " mm på 10 m; tolerance " + comma(KinkTolerance, 0) + " mm)" });
        if (!isSpiral(a.kind) && !isSpiral(b.kind))
            continue;
        const double r1 = endRadius(pts[a.point], a.chainageLength, true);
        const double r2 = endRadius(joint, b.chainageLength, false);
        const double off
            = r1 == 0 || r2 == 0 ? (r1 == r2 ? 0 : HUGE_VAL) : std::abs(r1 - r2) * 1000;
        if (off > RadiusTolerance)
            road.findings.push_back({ Finding::Type::Radius, joint.line,
                std::isfinite(off) ? off : 0,
                lineOf(joint.line) + ": " + kindName(a.kind) + " slutter med " + radiusText(r1)
                    + ", men " + kindName(b.kind) + " begynder med " + radiusText(r2)
                    + (std::isfinite(off)
                            ? " (forskel " + comma(off, 1) + " mm; tolerance "
                                + comma(RadiusTolerance, 0) + " mm)"
                            : std::string(" (tolerance ") + comma(RadiusTolerance, 0) + " mm)") });
    }
    std::stable_sort(road.findings.begin(), road.findings.end(),
        [](const Finding& x, const Finding& y) { return x.line < y.line; });
    return road;
}

double VerticalElement::height(double x) const
{
    const double u = x - x0;
    if (kind == Kind::Straight || length == 0)
        return h0 + rise * (length > 0 ? u / length : 0);
    if (kind == Kind::Parabola) {
        // The chord, and the parabola's sag under it: exact at both ends whatever the sizes.
        const double s = parameter > 0 ? 1 : -1, p = std::abs(parameter);
        return h0 + rise * (u / length) + s * u * (u - length) / (2 * p);
    }
    // A circular arc through both ends: the centre above the chord for a sag, below for a crest.
    const double r = std::abs(parameter), s = parameter > 0 ? 1 : -1;
    const double c = std::hypot(length, rise);
    const double h = std::sqrt(std::max(0.0, r * r - c * c / 4));
    const double cx = length / 2 + s * h * (-rise / c), cy = rise / 2 + s * h * (length / c);
    const double dx = u - cx;
    return h0 + cy - s * std::sqrt(std::max(0.0, r * r - dx * dx));
}

double VerticalElement::grade(double x) const
{
    const double u = x - x0;
    if (kind == Kind::Straight || length == 0)
        return length > 0 ? rise / length : 0;
    if (kind == Kind::Parabola) {
        const double s = parameter > 0 ? 1 : -1, p = std::abs(parameter);
        return rise / length - s * length / (2 * p) + s * u / p;
    }
    const double r = std::abs(parameter), s = parameter > 0 ? 1 : -1;
    const double c = std::hypot(length, rise);
    const double h = std::sqrt(std::max(0.0, r * r - c * c / 4));
    const double cx = length / 2 + s * h * (-rise / c);
    const double dx = u - cx;
    return s * dx / std::sqrt(std::max(1e-12, r * r - dx * dx));
}

bool Profile::height(double chainage, double& h) const
{
    // The elements follow each other along the chainage, as the reader keeps it from going
    // back: the first whose end reaches the chainage is the only one that may hold it.
    const auto e = std::lower_bound(elements.begin(), elements.end(), chainage,
        [](const VerticalElement& v, double c) { return v.x0 + v.length + 1e-9 < c; });
    if (e == elements.end() || chainage < e->x0 - 1e-9)
        return false;
    h = e->height(chainage);
    return true;
}

namespace {

    // Whether a vertical arc runs from one point to the next as a height over the chainage: both
    // points on the half of its circle away from the centre. A chord steeper than the arc's
    // own ends would need the circle's other half, which no road climbs.
    bool overChainage(const VerticalElement& e)
    {
        const double r = std::abs(e.parameter), s = e.parameter > 0 ? 1 : -1;
        const double c = std::hypot(e.length, e.rise);
        const double h = std::sqrt(std::max(0.0, r * r - c * c / 4));
        const double cy = e.rise / 2 + s * h * (e.length / c);
        return s * cy >= 0 && s * (cy - e.rise) >= 0;
    }

}

Profile layProfile(std::vector<Point> points)
{
    Profile profile;
    profile.points = std::move(points);
    const std::vector<Point>& pts = profile.points;
    for (std::size_t i = 0; i + 1 < pts.size(); ++i) {
        const Point& p = pts[i];
        const Point& q = pts[i + 1];
        if (p.kind == Kind::End) {
            profile.findings.push_back({ Finding::Type::Shape, q.line, 0,
                lineOf(q.line) + ": punktet ligger efter projektets slutpunkt og er ikke med" });
            break;
        }
        VerticalElement e;
        e.point = i;
        e.kind = p.kind;
        e.x0 = p.x;
        e.h0 = p.y;
        e.length = q.x - p.x;
        e.rise = q.y - p.y;
        e.parameter = p.parameter;
        if (p.kind != Kind::Straight && p.kind != Kind::Curve && p.kind != Kind::Parabola) {
            // A profile without word 71 is a polygon of grades, as older files are.
            if (p.kind == Kind::Unknown && p.name.empty()) {
                e.kind = Kind::Straight;
            } else {
                profile.findings.push_back({ Finding::Type::Shape, p.line, 0,
                    lineOf(p.line) + ": elementtypen \"" + p.name
                        + "\" hører ikke til et længdeprofil" });
                continue;
            }
        }
        if (e.length <= 0)
            continue;
        if (e.kind != Kind::Straight && e.parameter == 0) {
            profile.findings.push_back({ Finding::Type::Shape, p.line, 0,
                lineOf(p.line) + ": " + kindName(e.kind)
                    + " mangler radius eller parameter (ord 72)" });
            continue;
        }
        if (e.kind == Kind::Curve
            && (std::hypot(e.length, e.rise) > 2 * std::abs(e.parameter) || !overChainage(e))) {
            profile.findings.push_back({ Finding::Type::Shape, p.line, 0,
                lineOf(p.line) + ": en lodret " + radiusText(e.parameter)
                    + " når ikke næste punkt" });
            continue;
        }
        profile.elements.push_back(e);
    }
    for (std::size_t k = 0; k + 1 < profile.elements.size(); ++k) {
        const VerticalElement& a = profile.elements[k];
        const VerticalElement& b = profile.elements[k + 1];
        if (b.point != a.point + 1)
            continue;
        const double g1 = a.grade(a.x0 + a.length), g2 = b.grade(b.x0);
        const double across = std::abs(g2 - g1) * 10000;
        if (across > KinkTolerance) {
            const int line = pts[b.point].line;
            profile.findings.push_back({ Finding::Type::Kink, line, across,
                lineOf(line) + ": knæk i profilet, hældningen skifter fra " + comma(g1 * 100, 3)
                    + " % til " + comma(g2 * 100, 3) + " % (" + comma(across, 1)
                    + " mm på 10 m; tolerance " + comma(KinkTolerance, 0) + " mm)" });
        }
    }
    std::stable_sort(profile.findings.begin(), profile.findings.end(),
        [](const Finding& x, const Finding& y) { return x.line < y.line; });
    return profile;
}

bool stationsFit(const Alignment& road, double step)
{
    double rows = 0;
    for (const Element& e : road.elements)
        rows += std::abs(e.chainageLength) / step + 2;
    return step > 0 && rows <= double(MaxStations);
}

std::vector<Station> stations(const Alignment& road, double step, const Profile* profile)
{
    std::vector<Station> rows;
    if (road.elements.empty() || !(step > 0))
        return rows;
    for (const Element& e : road.elements) {
        // Each station is reached from the one before along its element, so a station costs
        // the turning between the two and not that of the element from its start.
        Piece rest = e.piece;
        double walked = 0;
        auto add = [&](double chainage) {
            const double s = chainage - e.startChainage;
            rest.length = s - walked;
            rest.start = rest.at(rest.length);
            rest.curvature = e.piece.curvatureAt(s);
            walked = s;
            if ((!rows.empty() && std::abs(rows.back().chainage - chainage) < 1e-6)
                || rows.size() >= MaxStations)
                return;
            Station station { chainage, rest.start.x, rest.start.y,
                Geometry::bearingGon(rest.start.heading) };
            if (profile)
                station.hasHeight = profile->height(chainage, station.height);
            rows.push_back(station);
        };
        const double from = e.startChainage, to = from + e.chainageLength;
        add(from);
        for (double k = std::floor(from / step) + 1;
             k * step < to - 1e-6 && rows.size() < MaxStations; k += 1)
            add(k * step);
        if (&e == &road.elements.back())
            add(to);
    }
    return rows;
}

std::string stationsCsv(const std::vector<Station>& rows, bool withHeight)
{
    std::string out = withHeight ? "station;E;N;retning_gon;H\n" : "station;E;N;retning_gon\n";
    for (const Station& s : rows) {
        out += fixed(s.chainage, 3) + ';' + fixed(s.east, 3) + ';' + fixed(s.north, 3) + ';'
            + fixed(s.bearing, 4);
        if (withHeight)
            out += ';' + (s.hasHeight ? fixed(s.height, 3) : std::string());
        out += '\n';
    }
    return out;
}

namespace {

    std::string xmlEscaped(std::string_view text)
    {
        std::string out;
        while (!text.empty()) {
            const char c = text.front();
            const std::size_t n = characterLength(text);
            switch (n == 1 ? c : '\0') {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                // Control characters have no place in XML 1.0, and the document is UTF-8: a name
                // from a file name may hold either, and each such byte shows as '_'.
                if (n == 0 || static_cast<unsigned char>(c) < 0x20)
                    out += '_';
                else
                    out += text.substr(0, n);
            }
            text.remove_prefix(std::max<std::size_t>(n, 1));
        }
        return out;
    }

    // LandXML writes a point as northing, then easting.
    std::string point(double east, double north) { return fixed(north, 4) + " " + fixed(east, 4); }

    std::string radius(double curvature)
    {
        return curvature == 0 ? std::string("INF") : fixed(std::abs(1 / curvature), 4);
    }

}

std::string landXml(const Alignment& road, const Profile* profile, const std::string& name,
    const std::string& date, const std::string& time)
{
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<LandXML xmlns=\"http://www.landxml.org/schema/LandXML-1.2\" "
                      "version=\"1.2\" date=\""
        + date + "\" time=\"" + time
        + "\">\n"
          "  <Units>\n"
          "    <Metric linearUnit=\"meter\" areaUnit=\"squareMeter\" volumeUnit=\"cubicMeter\" "
          "angularUnit=\"radians\" directionUnit=\"radians\"/>\n"
          "  </Units>\n"
          "  <Alignments>\n"
          "    <Alignment name=\""
        + xmlEscaped(name) + "\" length=\"" + fixed(road.length(), 4) + "\" staStart=\""
        + fixed(road.startChainage(), 4) + "\">\n      <CoordGeom>\n";
    for (const Element& e : road.elements) {
        // The element as designed: its chainage length and the curvature its words give, laid
        // from where the drawing lays it.
        Piece p = e.piece;
        Shape design;
        std::string ignored;
        if (e.chainageLength > 0
            && shapeOf(road.points[e.point], e.chainageLength, design, ignored)) {
            p.length = e.chainageLength;
            p.curvature = design.curvature;
            p.rate = design.rate;
        }
        const Pose end = p.at(p.length);
        const std::string start = "<Start>" + point(p.start.x, p.start.y) + "</Start>";
        const std::string finish = "<End>" + point(end.x, end.y) + "</End>";
        const double kEnd = p.curvatureAt(p.length);
        if (p.curvature == 0 && p.rate == 0) {
            out += "        <Line length=\"" + fixed(p.length, 4) + "\">" + start + finish
                + "</Line>\n";
        } else if (p.rate == 0) {
            const double r = 1 / p.curvature;
            const double cx = p.start.x - r * std::sin(p.start.heading);
            const double cy = p.start.y + r * std::cos(p.start.heading);
            out += "        <Curve rot=\"" + std::string(p.curvature < 0 ? "cw" : "ccw")
                + "\" radius=\"" + fixed(std::abs(r), 4) + "\" length=\"" + fixed(p.length, 4)
                + "\">" + start + "<Center>" + point(cx, cy) + "</Center>" + finish + "</Curve>\n";
        } else {
            // The tangents' intersection: LandXML places a spiral by it.
            const double h0 = p.start.heading, h1 = end.heading;
            const double det = std::sin(h1 - h0);
            double t = 0;
            if (std::abs(det) > 1e-12)
                t = ((end.x - p.start.x) * std::sin(h1) - (end.y - p.start.y) * std::cos(h1)) / det;
            const double px = p.start.x + t * std::cos(h0), py = p.start.y + t * std::sin(h0);
            const double turning = p.curvature + kEnd;
            out += "        <Spiral length=\"" + fixed(p.length, 4) + "\" radiusStart=\""
                + radius(p.curvature) + "\" radiusEnd=\"" + radius(kEnd) + "\" rot=\""
                + (turning < 0 ? "cw" : "ccw") + "\" spiType=\"clothoid\">" + start + "<PI>"
                + point(px, py) + "</PI>" + finish + "</Spiral>\n";
        }
    }
    out += "      </CoordGeom>\n";
    if (profile && !profile->elements.empty()) {
        out += "      <Profile>\n        <ProfAlign name=\"" + xmlEscaped(name) + "\">\n";
        const auto pvi = [&](double x, double h) {
            out += "          <PVI>" + fixed(x, 4) + " " + fixed(h, 4) + "</PVI>\n";
        };
        const std::vector<VerticalElement>& v = profile->elements;
        pvi(v.front().x0, v.front().h0);
        for (std::size_t k = 0; k < v.size(); ++k) {
            const VerticalElement& e = v[k];
            if (e.kind == Kind::Straight) {
                if (k + 1 < v.size() && v[k + 1].kind == Kind::Straight)
                    pvi(e.x0 + e.length, e.h0 + e.rise);
                continue;
            }
            // A vertical curve sits at the intersection of the grades at its ends.
            const double g0 = e.grade(e.x0), g1 = e.grade(e.x0 + e.length);
            const double x
                = std::abs(g1 - g0) > 1e-12 ? (e.rise - g1 * e.length) / (g0 - g1) : e.length / 2;
            const std::string at = fixed(e.x0 + x, 4) + " " + fixed(e.h0 + g0 * x, 4);
            if (e.kind == Kind::Parabola)
                out += "          <ParaCurve length=\"" + fixed(e.length, 4) + "\">" + at
                    + "</ParaCurve>\n";
            else
                out += "          <CircCurve length=\"" + fixed(e.length, 4) + "\" radius=\""
                    + fixed(std::abs(e.parameter), 4) + "\">" + at + "</CircCurve>\n";
        }
        pvi(v.back().x0 + v.back().length, v.back().h0 + v.back().rise);
        out += "        </ProfAlign>\n      </Profile>\n";
    }
    out += "    </Alignment>\n  </Alignments>\n</LandXML>\n";
    return out;
}

}
