// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "geometry.h"

#include <string>
#include <string_view>
#include <vector>

// A road as the instrument's road program reads it: a horizontal alignment of principal points,
// each starting the element its word 71 names, and a vertical alignment of chainages and
// heights. Laid out element by element, checked for consistency, and staked out.
namespace Road {

// The element kinds of word 71 (leading zeros dropped when read).
enum class Kind {
    Straight, // STRAIGHT
    Curve, // 000CURVE: word 72 the radius
    SpiralIn, // 00SPIRIN: clothoid from a straight into a curve, word 72 the A-parameter
    SpiralOut, // 0SPIROUT: clothoid from a curve into a straight
    CurveIn, // 0CURVEIN: clothoid between two curves, radius 1 (72) to radius 2 (74)
    CurveOut, // CURVEOUT: the same, the road opening out
    Parabola, // PARABOLA: a vertical curve, word 72 its parameter
    End, // 00000EOP
    Unknown,
};

// Kind of the text in word 71, as the file writes it ("00SPIRIN" or "SPIRIN").
Kind kindOf(std::string_view text);
// The Danish name, for the summary and the findings.
std::string kindName(Kind kind);

// One principal point: where its element starts.
struct Point {
    int line = 0; // in the file, from 1
    Kind kind = Kind::Unknown;
    std::string name; // word 71 as written, leading zeros dropped
    double x = 0, y = 0; // plan: easting, northing; profile: chainage, height
    double chainage = 0;
    bool hasChainage = false;
    double parameter = 0; // word 72: radius, A-parameter or parabola parameter (0: none)
    double parameter2 = 0; // word 74: the second radius of a compound curve (0: none)
};

// What the check found, each naming the line it is about and the size of the difference.
struct Finding {
    enum class Type { Length, End, Kink, Radius, Shape };
    Type type = Type::Shape;
    int line = 0;
    double size = 0; // millimetres (a kink: millimetres across 10 m)
    std::string text; // Danish, whole
};

// How far apart things may lie before the check names them. Coordinates and chainages are
// given to the millimetre, so a millimetre of rounding at each end must pass; a radius that an
// A-parameter and a chainage length give is good to several millimetres only.
constexpr double LengthTolerance = 2.0; // mm, chainage length against geometric length
constexpr double EndTolerance = 2.0; // mm, computed end against the next point
constexpr double KinkTolerance = 1.0; // mm across 10 m, at every joint (0.1 mrad)
constexpr double RadiusTolerance = 10.0; // mm, radius at a spiral's end against the next curve

// One horizontal element, laid out: `piece` passes through its start and end points with its
// kind's curvature; `chainageLength` is what the chainages say it measures.
struct Element {
    std::size_t point = 0; // index of its start point
    Kind kind = Kind::Straight;
    Geometry::Piece piece;
    double chainageLength = 0;
    double startChainage = 0;
};

struct Alignment {
    std::vector<Point> points;
    std::vector<Element> elements;
    std::vector<Finding> findings;
    double length() const;
    double startChainage() const;
};

// Lays out and checks the alignment given by `points` in file order.
Alignment layAlignment(std::vector<Point> points);

// One vertical element from a point to the next.
struct VerticalElement {
    std::size_t point = 0;
    Kind kind = Kind::Straight;
    double x0 = 0, h0 = 0, length = 0, rise = 0;
    double parameter = 0; // signed radius or parabola parameter; positive: a sag
    double height(double x) const; // x from the profile's chainage origin
    double grade(double x) const; // rise per metre
};

struct Profile {
    std::vector<Point> points;
    std::vector<VerticalElement> elements;
    std::vector<Finding> findings;
    // The height at `chainage`, false outside the profile.
    bool height(double chainage, double& h) const;
};

Profile layProfile(std::vector<Point> points);

// Points to stake out every `step` metres of chainage, with the element starts, first and last.
struct Station {
    double chainage = 0, east = 0, north = 0, bearing = 0; // bearing in gon
    double height = 0;
    bool hasHeight = false;
};
// At most MaxStations rows: stationsFit says beforehand whether the road and step need more.
constexpr std::size_t MaxStations = 1000000;
bool stationsFit(const Alignment& alignment, double step);
std::vector<Station> stations(const Alignment& alignment, double step, const Profile* profile);

// The stations as CSV: header, then a row per station; ';' between fields, decimal points.
std::string stationsCsv(const std::vector<Station>& rows, bool withHeight);

// The alignment (and profile) as LandXML 1.2. `date` and `time` as the root carries them.
std::string landXml(const Alignment& alignment, const Profile* profile, const std::string& name,
    const std::string& date, const std::string& time);

// A number with a decimal point and `decimals` decimals, whatever the locale.
std::string fixed(double value, int decimals);

}
