// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What must hold for any bytes at all given to the line reader and to both
// conversions, with the 1000-line limit in force. The fuzz target and the
// ordinary suite's regression cases share it. Each rule is worked out here
// again from the column map, independently of the conversion's own code.

#include "gsierror.h"
#include "gsiwords.h"
#include "linereader.h"
#include "module1.h"
#include "roadmodel.h"

#include <array>
#include <cmath>

#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace GsiCheck {

using Lines = std::vector<std::string>;

// Lines end at CR LF, a lone CR or a lone LF; the last may have no end.
inline Lines lines(std::string_view bytes)
{
    Lines found;
    std::size_t start = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\r' && bytes[i] != '\n')
            continue;
        found.emplace_back(bytes.substr(start, i - start));
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < bytes.size())
        found.emplace_back(bytes.substr(start));
    return found;
}

// n characters from column s, counted from 1.
inline std::string cols(const std::string& line, std::size_t column, std::size_t n)
{
    return column > line.size() ? std::string() : line.substr(column - 1, n);
}

inline bool holds(const std::string& line, const char* text)
{
    return line.find(text) != std::string::npos;
}

inline std::string alignmentLine(const std::string& line)
{
    const std::size_t found = line.find("82..10-");
    const std::size_t p = found == std::string::npos ? 0 : found + 1;
    std::string word82 = cols(line, 105, 16), word81 = cols(line, 129, 16);
    if (p >= 1) {
        word82 = " 82..10+" + word82;
        word81 = (p > 1 ? "81..10-" : "81..10+") + word81;
    }
    std::string tail;
    const char sign = line.size() >= 56 ? line[55] : '\0';
    if (p == 0)
        tail = cols(line, 56, 41);
    else if (p > 1 && (sign == '-' || holds(line, "71....+00000000STRAIGHT")))
        tail = '+' + cols(line, 57, 41);
    else if (p > 1 && sign == '+')
        tail = '-' + cols(line, 57, 41);
    else
        tail = cols(line, 56, 42);
    return cols(line, 1, 55) + tail + word81 + word82 + ' ';
}

inline std::string profileLine(const std::string& line)
{
    const char sign = line.size() >= 56 ? line[55] : '\0';
    std::string out = cols(line, 1, 55);
    if (sign == '-')
        out += '+';
    if (sign == '+')
        out += '-';
    return out + cols(line, 57, 40);
}

// The expected output, or false when the limit must refuse the file.
inline bool expected(Module1::Conversion kind, const Lines& all, std::string& out)
{
    Lines kept;
    for (const std::string& line : all) {
        if (kept.size() == Module1::MaxLines)
            return false; // a line remains while every slot is taken
        const std::size_t drop = line.find("74....");
        if (kind == Module1::Conversion::Profile || drop == 0 || drop == std::string::npos)
            kept.push_back(line);
    }
    out.clear();
    for (std::size_t i = 0; i < kept.size(); ++i) {
        out += i == 0 ? kept[0]
                      : (kind == Module1::Conversion::Alignment ? alignmentLine(kept[i])
                                                                : profileLine(kept[i]));
        out += "\r\n";
    }
    return true;
}

// The word reader keeps every word inside its line, and the preview reads any bytes into
// finite points, counting each line once.
inline std::string checkWords(std::string_view data, const Lines& all,
    const std::array<RoadModel::Converted, 2>& converted, bool everyKind)
{
    std::vector<GsiWords::Word> words;
    for (const std::string& line : all) {
        GsiWords::split(line, words);
        const char* begin = line.data();
        const char* end = begin + line.size();
        for (const GsiWords::Word& word : words) {
            const std::string_view parts[] = { word.info, word.data };
            for (const std::string_view part : parts)
                if (part.data() < begin || part.data() + part.size() > end)
                    return "a word reaches outside its line";
            if (word.column < 2 || word.column + 22 > line.size())
                return "a word's column lies outside its line";
            double metres = 0;
            if (GsiWords::length(word, metres) == GsiWords::Problem::None && !std::isfinite(metres))
                return "a length is not a number";
        }
    }
    // The fuzzer reads each input one way, by its first byte, to keep its pace (it varies that
    // byte as much as any other); the suite reads every kept input both ways.
    std::vector<Module1::Conversion> kinds { Module1::Conversion::Alignment,
        Module1::Conversion::Profile };
    if (!everyKind)
        kinds.erase(kinds.begin() + (!data.empty() && (data[0] & 1) ? 0 : 1));
    for (const auto kind : kinds) {
        const RoadModel::Preview preview
            = RoadModel::build(kind, data, converted[std::size_t(kind)]);
        // Every line, or for a file over the limit no more than the conversion would read.
        if (preview.summary.tooManyLines ? preview.summary.linesRead > int(all.size())
                    || preview.summary.conversionError.empty()
                                         : preview.summary.linesRead != int(all.size()))
            return "the preview counted the lines differently";
        // A line the conversion leaves out may still give the road a point (a compound curve's
        // radius 2 in word 74), so the two counts overlap.
        if (preview.summary.coordinateLines > preview.summary.linesRead
            || preview.summary.dropped > preview.summary.linesRead)
            return "the preview drew more points than there are lines";
        // The road read from the file: its check, stations and LandXML stay finite.
        for (const Road::Finding& f : preview.summary.findings)
            if (!std::isfinite(f.size) || f.text.empty())
                return "a finding without a finite size or a text";
        if (kind == Module1::Conversion::Alignment && Road::stationsFit(preview.alignment, 25)) {
            for (const Road::Station& s : Road::stations(preview.alignment, 25, nullptr))
                if (!std::isfinite(s.east) || !std::isfinite(s.north) || !std::isfinite(s.bearing))
                    return "a station is not a number";
            const std::string xml = Road::landXml(preview.alignment, nullptr, "f", "d", "t");
            if (xml.find("nan") != std::string::npos || xml.find("inf\"") != std::string::npos)
                return "the LandXML holds a number that is not one";
        }
        for (const Road::VerticalElement& e : preview.profile.elements)
            if (!std::isfinite(e.height(e.x0 + e.length / 2)))
                return "a profile height is not a number";
        for (const RoadModel::Drawing* drawing : { &preview.original, &preview.converted })
            for (const RoadModel::Segment& segment : drawing->segments)
                for (const RoadModel::Point& p : segment.points)
                    if (!std::isfinite(p.x) || !std::isfinite(p.y))
                        return "the preview drew a point that is not a number";
    }
    return {};
}

// Empty when everything held; otherwise what broke.
inline std::string check(std::string_view data, bool everyKind = true)
{
    const Lines all = lines(data);

    std::istringstream stream { std::string(data) };
    LineReader reader(stream, data.size() + 1);
    Lines read;
    std::string line;
    while (reader.next(line))
        read.push_back(line);
    if (reader.failed() || read != all)
        return "the line reader split the bytes differently";

    // Each conversion's output, which the preview then reads as the window would.
    std::array<RoadModel::Converted, 2> converted;
    for (const auto kind : { Module1::Conversion::Alignment, Module1::Conversion::Profile }) {
        const std::string name = kind == Module1::Conversion::Alignment ? "alignment" : "profile";
        std::string want;
        const bool allowed = expected(kind, all, want);
        try {
            std::string got = Module1::convertBytes(kind, data);
            if (!allowed)
                return name + ": more than 1000 lines converted";
            if (got != want)
                return name + ": output differs from the rules";
            converted[std::size_t(kind)].bytes = std::move(got);
        } catch (const GsiError& error) {
            if (allowed || error.number() != GsiError::SubscriptOutOfRange)
                return name + ": unexpected error " + std::to_string(error.number());
            converted[std::size_t(kind)].error = error.description();
        }
    }
    return checkWords(data, all, converted, everyKind);
}

}
