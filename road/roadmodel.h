// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "inputfile.h"
#include "module1.h"
#include "road.h"

#include <array>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// What the preview draws, worked out from a file's bytes alone: the alignment in plan or the
// profile in elevation, the same file as the conversion writes it, and a summary with every line
// that could not be drawn. The conversion's output is made in memory; nothing is written.
namespace RoadModel {

using Kind = Module1::Conversion;

using Element = Road::Kind;

// Plan: x easting, y northing. Elevation: x chainage, y height. Metres throughout.
struct Point {
    double x = 0;
    double y = 0;
};

struct Extent {
    double minX = 0, minY = 0, maxX = 0, maxY = 0;
    bool empty = true;
    void add(Point p);
    void add(const Extent& other);
    double width() const { return empty ? 0 : maxX - minX; }
    double height() const { return empty ? 0 : maxY - minY; }
};

// One element from a point to the next, as a polyline fine enough to draw as it is.
struct Segment {
    Element element = Element::Straight;
    std::vector<Point> points;
    int line = 0;
};

// A text at a point: the chainage at an element's start, or the grade of a profile's straight.
struct Mark {
    Point at;
    std::string text;
};

struct Drawing {
    std::vector<Point> vertices; // the points the file gives, in file order
    std::vector<Segment> segments;
    std::vector<Mark> marks;
    Extent extent;
};

struct Undrawn {
    int line = 0; // counted from 1, in the file it comes from
    bool converted = false; // a line of the converted file rather than of the input
    std::string reason;
    std::string text; // the line's bytes
};

struct Summary {
    int linesRead = 0;
    int dropped = 0; // lines the alignment conversion leaves out (74)
    int coordinateLines = 0; // lines whose point is drawn
    // Elements read, counted by kind (indexed by Road::Kind).
    std::array<int, std::size_t(Road::Kind::Unknown) + 1> elements {};
    int count(Road::Kind kind) const { return elements[std::size_t(kind)]; }
    // What the geometry check found in the input, in line order.
    std::vector<Road::Finding> findings;
    // Set when the file is GSI-8 (words of 16 characters): read no further than its first line.
    bool gsi8 = false;
    std::vector<std::string> units; // the length units met, in the order met
    std::vector<Undrawn> undrawn;
    std::string conversionError; // set when the conversion refuses the file
    // More lines than the conversion takes: reading stopped at the limit (error 9).
    bool tooManyLines = false;
    // How far the converted drawing was moved to start where the input starts (plan only): its
    // own coordinates lie elsewhere, as easting and northing change places.
    Point convertedShift;
    // The profile read beside an alignment for its stations' heights (pr17.gsi beside al17.gsi),
    // as the file's name; empty when there is none.
    std::string profileName;
};

// The file a preview was read from, as far as a file written from it (an export) may take over
// from it: what a conversion's output would (and no more than the profile read beside it, where
// there is one), and the folder it was found in, the only folder where that much is given. A
// preview made from bytes alone gives its exports to their owner.
struct Source {
    FileOrigin origin { 0600 };
    FileIdentity folder;
};

struct Preview {
    Kind kind = Kind::Alignment;
    Source source;
    Drawing original;
    Drawing converted;
    Summary summary;
    // The input's road as laid out and checked (the one for its kind is filled).
    Road::Alignment alignment;
    Road::Profile profile;
};

// What the conversion makes of a file's bytes, in memory: its output, or the Danish error
// ("Fejl 9: ...") that refused them.
struct Converted {
    std::string bytes;
    std::string error;
};
Converted convert(Kind kind, std::string_view bytes);

// Reads `bytes` as the file `kind` names, with the conversion's output for them.
Preview build(Kind kind, std::string_view bytes);
// The same for a caller that has converted the bytes already.
Preview build(Kind kind, std::string_view bytes, const Converted& converted);

// Reads the file through the program's one file layer and builds its preview. Throws GsiError,
// naming the file, when it cannot be read, and error 9 when it holds more lines than the
// conversion takes. An alignment's profile, named like it with "pr" for its leading "al", is
// read from the same folder when it is there and can be read, for the stations' heights.
Preview load(Kind kind, const std::filesystem::path& path);

// The alignment's stations every `step` metres as CSV, with their heights when the preview
// holds a profile: what sigtelinje-road stations writes for the same files.
std::string stationsCsv(const Preview& preview, double step);

// A length as the window shows it: metres with three decimals and a decimal comma.
std::string metres(double value);

// Danish names of the elements, for the summary.
std::string elementName(Element element);

// A file's bytes through the program's one file layer, whole. Throws GsiError naming the file.
std::string readFile(const std::filesystem::path& path);

// The input's own road alone, without the conversion: for the check and the stations.
Preview read(Kind kind, std::string_view bytes);

}
