// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What must hold for any bytes read as a road: the same bytes as an alignment and as a profile
// (a line may carry both coordinates and a height), laid out, checked, staked out with heights,
// written as CSV and as LandXML, as sigtelinje-road and the preview do. The fuzz target
// road_fuzz and the ordinary suite's regression cases share it.

#include "roadmodel.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace RoadCheck {

inline std::size_t count(std::string_view text, std::string_view what)
{
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string_view::npos;
         at = text.find(what, at + what.size()))
        ++n;
    return n;
}

// Each finding names a line of the file, in order, with a finite size and its line in its text.
inline std::string checkFindings(const std::vector<Road::Finding>& findings, int linesRead)
{
    int last = 0;
    for (const Road::Finding& f : findings) {
        if (f.line < 1 || f.line > linesRead)
            return "a finding names a line the file does not have";
        if (f.line < last)
            return "the findings are not in line order";
        last = f.line;
        if (!std::isfinite(f.size) || f.size < 0)
            return "a finding's size is not a finite length";
        if (!f.text.starts_with("linje " + std::to_string(f.line) + ": "))
            return "a finding's text names another line";
    }
    return {};
}

// Well formed as far as the export goes: every tag closed in order, every attribute quoted, no
// control character and no number that is not one. Valid UTF-8 throughout, as declared.
inline std::string checkXml(std::string_view xml)
{
    for (std::size_t i = 0; i < xml.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(xml[i]);
        if (c < 0x20 && c != '\n')
            return "the LandXML holds a control character";
        if (c == '&') {
            const std::string_view rest = xml.substr(i);
            if (!rest.starts_with("&amp;") && !rest.starts_with("&lt;") && !rest.starts_with("&gt;")
                && !rest.starts_with("&quot;"))
                return "the LandXML holds a bare &";
        }
        if (c < 0x80)
            continue;
        const int more = (c & 0xE0) == 0xC0 ? 1
            : (c & 0xF0) == 0xE0            ? 2
            : (c & 0xF8) == 0xF0            ? 3
                                            : -1;
        if (more < 0 || (more == 1 && c < 0xC2) || i + more >= xml.size())
            return "the LandXML is not UTF-8";
        for (int k = 1; k <= more; ++k)
            if ((static_cast<unsigned char>(xml[i + k]) & 0xC0) != 0x80)
                return "the LandXML is not UTF-8";
        i += std::size_t(more);
    }
    std::vector<std::string_view> open;
    for (std::size_t i = 0; i < xml.size(); ++i) {
        if (xml[i] == '>')
            return "the LandXML holds a > outside a tag";
        if (xml[i] != '<')
            continue;
        const std::size_t end = xml.find('>', i);
        if (end == std::string_view::npos)
            return "a tag of the LandXML is not closed";
        const std::string_view tag = xml.substr(i + 1, end - i - 1);
        if (count(tag, "\"") % 2 != 0 || tag.find('<') != std::string_view::npos)
            return "a tag of the LandXML has an unquoted attribute";
        i = end;
        if (tag.starts_with('?'))
            continue;
        const bool closing = tag.starts_with('/'), empty = tag.ends_with('/');
        std::string_view name = tag.substr(closing ? 1 : 0);
        name = name.substr(0, name.find_first_of(" /"));
        if (closing) {
            if (open.empty() || open.back() != name)
                return "the LandXML closes a tag it did not open";
            open.pop_back();
        } else if (!empty) {
            open.push_back(name);
        }
    }
    if (!open.empty())
        return "the LandXML leaves a tag open";
    for (const char* bad : { "nan", "inf\"", "inf<", "inf " })
        if (xml.find(bad) != std::string_view::npos)
            return "the LandXML holds a number that is not one";
    return {};
}

// Empty when everything held; otherwise what broke. `name` stands for the file's name in the
// LandXML; `step` is the stations' interval in metres.
inline std::string check(std::string_view data, std::string_view name, double step)
{
    const RoadModel::Preview al = RoadModel::read(RoadModel::Kind::Alignment, data);
    const RoadModel::Preview pr = RoadModel::read(RoadModel::Kind::Profile, data);
    for (const RoadModel::Preview* p : { &al, &pr }) {
        const std::string broken = checkFindings(
            p == &al ? al.alignment.findings : pr.profile.findings, p->summary.linesRead);
        if (!broken.empty())
            return broken;
    }
    for (const Road::Element& e : al.alignment.elements) {
        if (e.point + 1 >= al.alignment.points.size())
            return "an element has no end point";
        if (!(e.piece.length > 0) || !std::isfinite(e.piece.length)
            || !std::isfinite(e.piece.start.heading) || !std::isfinite(e.chainageLength))
            return "an element's length or direction is not a finite number";
    }
    for (const Road::VerticalElement& e : pr.profile.elements) {
        if (!(e.length > 0))
            return "a vertical element has no length";
        // Through both its points, to a micrometre of the numbers involved.
        const double scale = std::abs(e.h0) + std::abs(e.rise) + e.length + std::abs(e.parameter);
        const double atEnd = e.height(e.x0 + e.length);
        if (!std::isfinite(atEnd) || std::abs(e.height(e.x0) - e.h0) > 1e-6 + 1e-9 * scale
            || std::abs(atEnd - (e.h0 + e.rise)) > 1e-6 + 1e-9 * scale)
            return "a vertical element misses its own points";
    }
    // At most some 20,000 stations: more cost the fuzzer time and find nothing new.
    double chainages = 0;
    for (const Road::Element& e : al.alignment.elements)
        chainages += std::abs(e.chainageLength);
    step = std::max(step, chainages / 20000);
    if (al.alignment.elements.empty() || !Road::stationsFit(al.alignment, step))
        return {};
    // A station costs the turning since the last one: a file whose clothoid winds up a thousand
    // radians (no road does) is left unstaked, so the fuzzer's pace stays on the reading.
    double turning = 0;
    for (const Road::Element& e : al.alignment.elements)
        turning += std::max(
                       std::abs(e.piece.curvature), std::abs(e.piece.curvatureAt(e.chainageLength)))
            * std::abs(e.chainageLength);
    if (!(turning < 1000))
        return {};
    const Road::Profile* profile = pr.profile.elements.empty() ? nullptr : &pr.profile;
    const std::vector<Road::Station> rows = Road::stations(al.alignment, step, profile);
    if (rows.empty() || rows.size() > Road::MaxStations)
        return "a road with elements gives no stations, or too many";
    for (const Road::Station& s : rows) {
        if (!std::isfinite(s.chainage) || !std::isfinite(s.east) || !std::isfinite(s.north))
            return "a station is not a number";
        if (!(s.bearing >= 0 && s.bearing <= 400))
            return "a station's direction lies outside 0 to 400 gon";
        if (s.hasHeight && (!profile || !std::isfinite(s.height)))
            return "a station has a height without a profile, or one that is not a number";
    }
    const std::string csv = Road::stationsCsv(rows, profile != nullptr);
    if (count(csv, "\n") != rows.size() + 1 || !csv.ends_with('\n'))
        return "the CSV has not one line per station and a header";
    const std::size_t fields = profile ? 4 : 3;
    for (std::size_t at = 0, line = 0; at < csv.size(); ++line) {
        const std::size_t end = csv.find('\n', at);
        const std::string_view row = std::string_view(csv).substr(at, end - at);
        if (count(row, ";") != fields || row.find(',') != std::string_view::npos
            || row.find("nan") != std::string_view::npos
            || row.find("inf") != std::string_view::npos)
            return "a CSV row has other fields than the header";
        if (line > 0 && profile && rows[line - 1].hasHeight == row.ends_with(';'))
            return "a CSV row's height does not match its station";
        at = end + 1;
    }
    const std::string xml = Road::landXml(al.alignment, profile, std::string(name), "d", "t");
    const std::string broken = checkXml(xml);
    if (!broken.empty())
        return broken;
    if (count(xml, "<Line ") + count(xml, "<Spiral ") + count(xml, "<Curve ")
        != al.alignment.elements.size())
        return "the LandXML has not one element per element of the road";
    return {};
}

// The fuzzer's input: its first byte picks the step, up to the first 32 of the rest give the
// name, and the rest is the file. The suite reads its kept files whole, at a fixed step.
inline std::string checkFuzzed(std::string_view data)
{
    if (data.empty())
        return {};
    const double step = 0.5 + (static_cast<unsigned char>(data[0]) % 64) * 2.5;
    data.remove_prefix(1);
    const std::size_t cut = data.find('\n');
    const std::size_t nameLength
        = cut == std::string_view::npos ? 0 : std::min<std::size_t>(cut, 32);
    const std::string_view name = data.substr(0, nameLength);
    if (cut != std::string_view::npos && cut < 32)
        data.remove_prefix(cut + 1);
    return check(data, name, step);
}

}
