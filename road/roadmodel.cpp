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

std::string elementName(Element element) { return Road::kindName(element); }

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

    // A line that looks like GSI-8: no '*', a two-digit word index and words of 16 characters.
    bool looksLikeGsi8(std::string_view line)
    {
        const auto digit = [](char c) { return c >= '0' && c <= '9'; };
        return line.size() >= 15 && digit(line[0]) && digit(line[1])
            && (line[6] == '+' || line[6] == '-') && (line.size() == 15 || line[15] == ' ');
    }

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
                if (!readLine(number, line))
                    break;
            }
        }

        Road::Alignment alignment() { return Road::layAlignment(std::move(m_points)); }
        Road::Profile profile() { return Road::layProfile(std::move(m_points)); }

        // The drawing of a laid-out road, and the lines that could not be laid out.
        void draw(const Road::Alignment& road)
        {
            for (const Road::Point& p : road.points) {
                m_drawing.vertices.push_back({ p.x, p.y });
                m_drawing.extent.add(Point { p.x, p.y });
                if (p.hasChainage)
                    m_drawing.marks.push_back({ { p.x, p.y }, metres(p.chainage) });
                if (!m_converted)
                    ++m_summary.coordinateLines;
            }
            for (const Road::Element& e : road.elements) {
                Segment s;
                s.element = e.kind;
                s.line = road.points[e.point].line;
                for (const Geometry::Pose& pose : Geometry::sample(e.piece))
                    s.points.push_back({ pose.x, pose.y });
                // Drawn to end where the file's next point is, so a rounding never shows a gap.
                const Road::Point& next = road.points[e.point + 1];
                s.points.back() = { next.x, next.y };
                m_drawing.segments.push_back(std::move(s));
            }
            count(road.points, true);
            report(road.findings);
        }

        void draw(const Road::Profile& profile)
        {
            for (const Road::Point& p : profile.points) {
                m_drawing.vertices.push_back({ p.x, p.y });
                m_drawing.extent.add(Point { p.x, p.y });
                if (!m_converted)
                    ++m_summary.coordinateLines;
            }
            for (const Road::VerticalElement& e : profile.elements) {
                Segment s;
                s.element = e.kind;
                s.line = profile.points[e.point].line;
                const int steps = e.kind == Road::Kind::Straight ? 1 : 64;
                for (int k = 0; k <= steps; ++k) {
                    const double x = e.x0 + e.length * k / steps;
                    s.points.push_back({ x, e.height(x) });
                }
                m_drawing.segments.push_back(std::move(s));
                if (e.kind == Road::Kind::Straight) {
                    char grade[32];
                    std::snprintf(grade, sizeof grade, "%.2f", e.rise / e.length * 100);
                    std::string text(grade);
                    if (text == "-0.00")
                        text = "0.00";
                    std::replace(text.begin(), text.end(), '.', ',');
                    m_drawing.marks.push_back(
                        { { e.x0 + e.length / 2, e.h0 + e.rise / 2 }, text + " %" });
                }
            }
            count(profile.points, true);
            report(profile.findings);
        }

    private:
        void count(const std::vector<Road::Point>& points, bool lastEnds)
        {
            if (m_converted)
                return;
            for (std::size_t i = 0; i < points.size(); ++i) {
                // The last point ends the road; its element names nothing that follows.
                if (i + 1 == points.size() && lastEnds && points[i].kind != Road::Kind::End)
                    break;
                ++m_summary.elements[std::size_t(points[i].kind)];
            }
        }

        void report(const std::vector<Road::Finding>& findings)
        {
            for (const Road::Finding& f : findings) {
                if (f.type == Road::Finding::Type::Shape) {
                    // What could not be drawn goes with the line's bytes into the list.
                    const std::string prefix = "linje " + std::to_string(f.line) + ": ";
                    std::string reason
                        = f.text.starts_with(prefix) ? f.text.substr(prefix.size()) : f.text;
                    undrawn(f.line, std::move(reason), lineText(f.line));
                } else if (!m_converted) {
                    m_summary.findings.push_back(f);
                }
            }
        }

        std::string_view lineText(int line) const
        {
            for (const auto& [number, text] : m_lines)
                if (number == line)
                    return text;
            return {};
        }

        void undrawn(int line, std::string reason, std::string_view text)
        {
            m_summary.undrawn.push_back(
                { line, m_converted, std::move(reason), std::string(text) });
        }

        // Words 11, 72 and 74 carry no unit of their own: the format gives them the unit of the
        // line's coordinates (81 and 82) or height (83). Their information field holds a block
        // number, which says nothing about the value.
        Value value(int index, char unitCode)
        {
            Value v;
            for (const Word& word : m_words) {
                if (word.index != index)
                    continue;
                // Straights and the end of the project write "00000NON" where a radius would be.
                if (GsiWords::text(word) == "NON")
                    return v;
                v.present = true;
                Word measured = word;
                if (unitCode)
                    measured.unit = unitCode;
                v.problem = GsiWords::length(measured, v.metres);
                if (v.problem == Problem::None && !m_converted) {
                    GsiWords::LengthUnit unit {};
                    GsiWords::lengthUnit(measured.unit, unit);
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

        // The unit code lines of this file measure in: the coordinates' (or height's) own, or
        // the last one met on an earlier line, or metre and millimetre.
        char lineUnit()
        {
            if (const Word* w = word(m_kind == Kind::Alignment ? 81 : 83))
                m_unit = w->unit;
            else if (const Word* n = word(82); n && m_kind == Kind::Alignment)
                m_unit = n->unit;
            return m_unit;
        }

        static std::string wordProblem(int index, const Value& v)
        {
            return "ord " + std::to_string(index) + ": " + GsiWords::describe(v.problem);
        }

        // False when reading should stop.
        bool readLine(int number, std::string_view line)
        {
            if (m_kind == Kind::Alignment && Columns::isDropped(line) && !m_converted)
                ++m_summary.dropped;
            const Problem split = GsiWords::split(line, m_words);
            if (split != Problem::None) {
                if (split == Problem::NoStar && looksLikeGsi8(line)) {
                    // One message for the file rather than one per line.
                    if (!m_converted)
                        m_summary.gsi8 = true;
                    undrawn(number,
                        "filen er i GSI-8-format (ord på 16 tegn); kun GSI-16 kan vises, og "
                        "resten af filen er ikke læst",
                        line);
                    return false;
                }
                undrawn(number, GsiWords::describe(split), line);
                return true;
            }
            if (m_kind == Kind::Alignment)
                readAlignmentLine(number, line);
            else
                readProfileLine(number, line);
            return true;
        }

        void element(Road::Point& p)
        {
            if (const Word* element = word(71)) {
                p.name = std::string(GsiWords::text(*element));
                p.kind = Road::kindOf(p.name);
            }
        }

        void readAlignmentLine(int number, std::string_view line)
        {
            const char unit = lineUnit();
            const Value east = value(81, 0);
            const Value north = value(82, 0);
            const Value chainage = value(11, unit);
            if (!east.present && !north.present) {
                // A heading or a remark: only a line that names an element is missed.
                if (word(71))
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
            Road::Point p;
            p.line = number;
            p.x = east.metres;
            p.y = north.metres;
            element(p);
            if (chainage.ok()) {
                p.hasChainage = true;
                p.chainage = chainage.metres;
            } else if (chainage.present) {
                undrawn(number,
                    wordProblem(11, chainage) + " (punktet er tegnet uden stationering)", line);
            }
            for (const int index : { 72, 74 }) {
                const Value v = value(index, unit);
                if (v.present && !v.ok())
                    undrawn(number, wordProblem(index, v), line);
                (index == 72 ? p.parameter : p.parameter2) = v.ok() ? v.metres : 0;
            }
            m_points.push_back(std::move(p));
            m_lines.emplace_back(number, std::string(line));
        }

        void readProfileLine(int number, std::string_view line)
        {
            const char unit = lineUnit();
            const Value chainage = value(11, unit);
            const Value height = value(83, 0);
            const Value curve = value(72, unit);
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
                // The chainage is measured in the height's unit: a bad one is the height's fault.
                undrawn(number, wordProblem(height.ok() ? 11 : 83, height.ok() ? chainage : height),
                    line);
                return;
            }
            if (!m_points.empty() && chainage.metres < m_points.back().x) {
                undrawn(number, "stationeringen går tilbage", line);
                return;
            }
            Road::Point p;
            p.line = number;
            p.x = p.chainage = chainage.metres;
            p.hasChainage = true;
            p.y = height.metres;
            element(p);
            if (curve.present && !curve.ok())
                undrawn(number, wordProblem(72, curve) + " (punktet er tegnet)", line);
            else if (curve.ok())
                p.parameter = curve.metres;
            // A profile without element names is a polygon of grades; a word 72 on its points
            // is shown as it stands, since without word 71 nothing says where its curve runs.
            if (p.name.empty() && p.parameter != 0)
                m_drawing.marks.push_back({ { p.x, p.y }, "72: " + metres(p.parameter) });
            m_points.push_back(std::move(p));
            m_lines.emplace_back(number, std::string(line));
        }

        Kind m_kind;
        Drawing& m_drawing;
        Summary& m_summary;
        bool m_converted;
        char m_unit = '.';
        std::vector<Word> m_words;
        std::vector<Road::Point> m_points;
        std::vector<std::pair<int, std::string>> m_lines;
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

namespace {

    void readInto(
        Kind kind, std::string_view bytes, Drawing& drawing, Preview& preview, bool converted)
    {
        Reader reader(kind, drawing, preview.summary, converted);
        reader.read(bytes);
        if (kind == Kind::Alignment) {
            Road::Alignment road = reader.alignment();
            reader.draw(road);
            if (!converted)
                preview.alignment = std::move(road);
        } else {
            Road::Profile profile = reader.profile();
            reader.draw(profile);
            if (!converted)
                preview.profile = std::move(profile);
        }
        addSegmentsToExtent(drawing);
    }

}

Preview read(Kind kind, std::string_view bytes)
{
    Preview preview;
    preview.kind = kind;
    readInto(kind, bytes, preview.original, preview, false);
    return preview;
}

Preview build(Kind kind, std::string_view bytes, const Converted& converted)
{
    Preview preview;
    preview.kind = kind;
    readInto(kind, bytes, preview.original, preview, false);
    if (converted.error.empty())
        readInto(kind, converted.bytes, preview.converted, preview, true);
    else
        preview.summary.conversionError = converted.error;
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

std::string readFile(const std::filesystem::path& path)
{
    InputFile file(path, MaxFileBytes);
    return file.readAll();
}

namespace {

    // "pr17.gsi" for "al17.gsi", the case of each letter kept; empty for a name without "al".
    std::filesystem::path profileBeside(const std::filesystem::path& alignment)
    {
        std::filesystem::path::string_type name = alignment.filename().native();
        if (name.size() < 3 || (name[0] | 0x20) != 'a' || (name[1] | 0x20) != 'l')
            return {};
        name[0] = name[0] == 'a' ? 'p' : 'P';
        name[1] = name[1] == 'l' ? 'r' : 'R';
        return name;
    }

    // The profile beside an alignment, read in the folder the alignment was found in. A profile
    // that is not there, or cannot be read as one, gives no heights and no error: the alignment
    // is what was asked for.
    void addProfileBeside(Preview& preview, const InputFile& alignment)
    {
        const std::filesystem::path opened = alignment.openedPath();
        const std::filesystem::path name = profileBeside(opened);
        if (name.empty())
            return;
        try {
            // The whole path, for the file layer that cannot open a name in a held folder
            // (Windows); the other opens its name in the folder held.
            InputFile file(alignment.openedFolder(), opened.parent_path() / name, MaxFileBytes);
            Preview profile = read(Kind::Profile, file.readAll());
            if (profile.summary.tooManyLines || profile.summary.gsi8
                || profile.profile.elements.empty())
                return;
            preview.profile = std::move(profile.profile);
            preview.summary.profileName = shownPath(name);
            // The exports show the profile's heights too: they may hand out no more than it
            // does, so that a link beside the alignment to a file another user cannot read
            // gives him nothing. Group bits stay only for a group the two files share.
            const FileOrigin& heights = file.origin();
            preview.source.origin.permissions &= heights.permissions;
            if (heights.group != preview.source.origin.group)
                preview.source.origin.permissions &= ~0070u;
            if (heights.owner != preview.source.origin.owner)
                preview.source.origin.owner = -1;
        } catch (const GsiError&) {
        }
    }

}

Preview load(Kind kind, const std::filesystem::path& path)
{
    InputFile file(path, MaxFileBytes);
    const Source source { file.origin(), file.openedFolder().identity() };
    Preview preview = build(kind, file.readAll());
    preview.source = source;
    if (preview.summary.tooManyLines)
        throw GsiError(GsiError::SubscriptOutOfRange,
            "Filen " + shownPath(path) + " har mere end " + std::to_string(Module1::MaxLines)
                + " linjer og kan hverken konverteres eller vises");
    if (kind == Kind::Alignment)
        addProfileBeside(preview, file);
    return preview;
}

std::string stationsCsv(const Preview& preview, double step)
{
    const Road::Profile* profile = preview.profile.elements.empty() ? nullptr : &preview.profile;
    return Road::stationsCsv(Road::stations(preview.alignment, step, profile), profile != nullptr);
}

}
