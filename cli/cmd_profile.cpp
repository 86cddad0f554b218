// orolith-cli profile TILE... --track T.gpx OUT.csv|svg|png: the elevation
// profile of a track (or of a line through given points) over the terrain.
#include "CliCommand.h"
#include "CliLoadTerrain.h"

#include "Profile.h"
#include "ProfilePlot.h"
#include "Terrain.h"
#include "TerrainError.h"
#include "Track.h"
#include "Utils.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <iostream>
#include <optional>
#include <stdexcept>

namespace {

const char *const Usage = "usage: profile FILE... --track T.gpx OUT.csv|svg|png, or FILE... --line LAT,LON LAT,LON... OUT";

// "47.25,11.5": latitude then longitude; a point off the globe is refused.
std::optional<TLatLon> ParseLatLon(const std::string &text)
{
    const auto p = ParseLatLonText(text);
    if (p && !OnEarth(*p))
        throw std::invalid_argument("--line: " + text + " lies outside latitude -90 … 90 or longitude -180 … 180");
    return p;
}

// --line takes every LAT,LON after it; what follows goes back to the parser.
std::vector<std::string> TakeLine(const std::vector<std::string> &args, std::vector<TLatLon> &line, bool &given)
{
    std::vector<std::string> rest;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] != "--line") {
            rest.push_back(args[i]);
            continue;
        }
        given = true;
        while (i + 1 < args.size())
            if (const auto p = ParseLatLon(args[i + 1])) {
                line.push_back(*p);
                ++i;
            } else {
                break;
            }
    }
    return rest;
}

int RunProfile(const std::vector<std::string> &args)
{
    std::vector<TLatLon> line;
    bool lineGiven = false;
    const CliArgs a = ParseCliArgs("profile", TakeLine(args, line, lineGiven), {"track"});
    std::vector<std::string> in;
    std::string out;
    if (!SplitInputsAndOutput(a.positional, in, out) || a.Has("track") == lineGiven)
        return CliFail("", Usage);
    if (lineGiven && line.size() < 2)
        return CliFail("", "--line needs at least two points LAT,LON");
    if (!IsValidUtf8(out))
        return CliFail(out, NotUtf8Problem);
    const std::string ext = LowerExtension(out);
    if (ext != "csv" && ext != "svg" && ext != "png")
        return CliFail(out, "the profile is written as .csv, .svg or .png");

    const std::string trackFile = a.Value("track");
    TTerrain terrain;
    TProfile profile;
    try {
        std::optional<TTrack> track;
        if (!lineGiven) {
            track = ReadTrack(trackFile);
            if (track->Segments.empty())
                throw ETerrainError("holds waypoints only, no track or line to profile", trackFile);
        }
        CliLoadTerrain(terrain, in);
        profile = track ? ProfileAlong(terrain, track->Segments) : ProfileAlong(terrain, line);
        if (!profile.Summary.MinHeight)
            throw ETerrainError("the line lies entirely off the terrain (or over voids)", trackFile);
        if (ext == "csv")
            WriteProfileCsv(profile, out);
        else
            WriteProfilePicture(profile, out);
    } catch (const ETerrainError &e) {
        return CliFail(e.File(), e.what());
    }
    const TProfileSummary &s = profile.Summary;
    std::cout << "Length: " << OneDecimalText(s.Length) << "\n"
              << "Ascent: " << OneDecimalText(s.Ascent) << "\n"
              << "Descent: " << OneDecimalText(s.Descent) << "\n"
              << "MinHeight: " << OneDecimalText(*s.MinHeight) << "\n"
              << "MaxHeight: " << OneDecimalText(*s.MaxHeight) << "\n";
    return 0;
}

const CliCommand command("profile",
                         "profile FILE... --track T.gpx OUT.csv|svg|png\n"
                         "                                elevation profile of every track and segment of a GPX, KML or\n"
                         "                                GeoJSON file over the terrain; --line LAT,LON LAT,LON... instead\n"
                         "                                profiles a line through those points (metres, WGS 84 geodesics)",
                         RunProfile);

}  // namespace
