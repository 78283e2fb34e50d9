// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
// sigtelinje-road: the road model for scripts. Checks alignment and profile files, stakes out
// stations as CSV and writes the road as LandXML, all to stdout.
#include "batch.h"
#include "gsierror.h"
#include "roadmodel.h"
#include "standardstreams.h"
#include "system.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <ctime>
#include <string>

namespace {

constexpr int Clean = 0, Findings = 1, Failed = 2;

const char* const Usage = "brug: sigtelinje-road check FIL...\n"
                          "       sigtelinje-road stations AFSTAND LINJEFØRING [PROFIL]\n"
                          "       sigtelinje-road landxml LINJEFØRING [PROFIL]\n";

struct Failure {
    std::string text;
};

std::string shown(const std::filesystem::path& path) { return path.string(); }

// Which of the two a file is: its header word 42 says so ("HZALIGNM" or "VERTICAL"); without
// one, a name beginning "pr" is a profile, as the main window lists them.
RoadModel::Kind kindOf(const std::filesystem::path& path, const std::string& bytes)
{
    const std::string firstLine = bytes.substr(0, bytes.find('\n'));
    if (firstLine.find("HZALIGNM") != std::string::npos)
        return RoadModel::Kind::Alignment;
    if (firstLine.find("VERTICAL") != std::string::npos)
        return RoadModel::Kind::Profile;
    std::string name = path.filename().string();
    for (char& c : name)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return name.starts_with("pr") ? RoadModel::Kind::Profile : RoadModel::Kind::Alignment;
}

RoadModel::Preview load(const std::filesystem::path& path, RoadModel::Kind* kindOut = nullptr)
{
    const std::string bytes = RoadModel::readFile(path);
    const RoadModel::Kind kind = kindOf(path, bytes);
    RoadModel::Preview preview = RoadModel::read(kind, bytes);
    if (preview.summary.tooManyLines)
        throw Failure { shown(path) + ": filen har mere end " + std::to_string(Module1::MaxLines)
            + " linjer" };
    if (preview.summary.gsi8)
        throw Failure { shown(path)
            + ": filen er i GSI-8-format (ord på 16 tegn); kun GSI-16 kan læses" };
    if (kindOut)
        *kindOut = kind;
    return preview;
}

bool write(std::FILE* to, const std::string& text)
{
    // Names and words from the file reach a terminal quoted: they may hold its control sequences.
    if (!writeText(to, Batch::shownOn(to, text)))
        throw Failure { std::string("kan ikke skrive: ") + std::strerror(errno) };
    return true;
}

int check(const std::vector<std::filesystem::path>& files)
{
    int result = Clean;
    for (const auto& path : files) {
        const RoadModel::Preview preview = load(path);
        // Lines that could not be read, and what the geometry check found, in line order.
        std::vector<std::pair<int, std::string>> lines;
        for (const RoadModel::Undrawn& u : preview.summary.undrawn)
            if (!u.converted)
                lines.emplace_back(u.line, u.reason);
        for (const Road::Finding& f : preview.summary.findings) {
            const std::string prefix = "linje " + std::to_string(f.line) + ": ";
            lines.emplace_back(
                f.line, f.text.starts_with(prefix) ? f.text.substr(prefix.size()) : f.text);
        }
        std::stable_sort(lines.begin(), lines.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
        for (const auto& [line, text] : lines) {
            write(stdout, shown(path) + ":" + std::to_string(line) + ": " + text + "\n");
            result = Findings;
        }
    }
    return result;
}

// The alignment, and the profile when one is named, each checked to be the kind it must be.
struct Road2 {
    RoadModel::Preview alignment, profile;
    bool hasProfile = false;
};

Road2 loadRoad(const std::vector<std::filesystem::path>& args, std::size_t from)
{
    Road2 road;
    RoadModel::Kind kind {};
    road.alignment = load(args[from], &kind);
    if (kind != RoadModel::Kind::Alignment)
        throw Failure { shown(args[from]) + ": er ikke en linjeføring (al*.gsi)" };
    if (road.alignment.alignment.elements.empty())
        throw Failure { shown(args[from]) + ": linjeføringen har intet element der kan beregnes" };
    if (args.size() > from + 1) {
        road.profile = load(args[from + 1], &kind);
        if (kind != RoadModel::Kind::Profile)
            throw Failure { shown(args[from + 1]) + ": er ikke et længdeprofil (pr*.gsi)" };
        road.hasProfile = true;
    }
    return road;
}

std::string today(const char* format)
{
    const std::time_t now = std::time(nullptr);
    // One thread: the shared result of gmtime is safe here.
    const std::tm* parts = std::gmtime(&now);
    char text[32];
    if (!parts || std::strftime(text, sizeof text, format, parts) == 0)
        return "1970-01-01";
    return text;
}

int run(const std::vector<std::filesystem::path>& args)
{
    const std::string command = args.empty() ? std::string() : args[0].string();
    if (command == "check" && args.size() >= 2)
        return check({ args.begin() + 1, args.end() });
    if (command == "stations" && (args.size() == 3 || args.size() == 4)) {
        const std::string text = args[1].string();
        double step = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), step);
        if (error != std::errc() || end != text.data() + text.size() || !(step >= 0.001)
            || step > 1e6)
            throw Failure { "afstanden \"" + text + "\" er ikke et tal i meter fra 0.001" };
        const Road2 road = loadRoad(args, 2);
        if (!Road::stationsFit(road.alignment.alignment, step))
            throw Failure { "afstanden " + text + " m giver mere end "
                + std::to_string(Road::MaxStations) + " stationer" };
        const auto rows = Road::stations(
            road.alignment.alignment, step, road.hasProfile ? &road.profile.profile : nullptr);
        write(stdout, Road::stationsCsv(rows, road.hasProfile));
        return Clean;
    }
    if (command == "landxml" && (args.size() == 2 || args.size() == 3)) {
        const Road2 road = loadRoad(args, 1);
        write(stdout,
            Road::landXml(road.alignment.alignment,
                road.hasProfile ? &road.profile.profile : nullptr, shownPath(args[1].stem()),
                today("%Y-%m-%d"), today("%H:%M:%S")));
        return Clean;
    }
    throw Failure { std::string("ukendt kommando eller forkert antal argumenter\n") + Usage };
}

}

int main(int argc, char* argv[])
{
    StandardStreams::keepOpen();
    ignoreBrokenPipe();
    try {
        const int result = run(commandLineArguments(argc, argv));
        if (std::fflush(stdout) != 0) {
            writeText(stderr,
                std::string("sigtelinje-road: kan ikke skrive: ") + std::strerror(errno) + "\n");
            return Failed;
        }
        return result;
    } catch (const Failure& failure) {
        writeText(stderr, Batch::shownOn(stderr, "sigtelinje-road: " + failure.text + "\n"));
    } catch (const GsiError& error) {
        writeText(stderr,
            Batch::shownOn(stderr,
                "sigtelinje-road: Fejl " + std::to_string(error.number()) + ": "
                    + error.description() + "\n"));
    } catch (const std::exception& error) {
        writeText(
            stderr, Batch::shownOn(stderr, std::string("sigtelinje-road: ") + error.what() + "\n"));
    }
    return Failed;
}
