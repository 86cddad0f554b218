// Tracks read through OGR and profiles sampled over a made-up terrain.
#include "Geodesic.h"
#include "Profile.h"
#include "Terrain.h"
#include "TerrainError.h"
#include "TestFiles.h"
#include "Track.h"

#include <GeographicLib/Geodesic.hpp>
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

namespace {

void WriteText(const std::string &path, const std::string &text)
{
    std::ofstream(path, std::ios::binary) << text;
}

std::string Gpx(const std::string &body, const std::string &doctype = {})
{
    return "<?xml version=\"1.0\"?>\n" + doctype + "<gpx version=\"1.1\" creator=\"test\" xmlns=\"http://www.topografix.com/GPX/1/1\">\n" +
           body + "</gpx>\n";
}

// Ridges one sample wide, so nearest-sample or linear-along-the-line reading
// differs from bilinear interpolation by tens of metres; a void patch.
int16_t Relief(int col, int row)
{
    if (col >= 700 && col < 720 && row >= 580 && row < 600)
        return -32768;
    return static_cast<int16_t>(1000 + (col % 3) * 40 + (row % 4) * 25);
}

double Bilinear(double gx, double gz)
{
    const int c = static_cast<int>(gx), r = static_cast<int>(gz);
    const double fx = gx - c, fz = gz - r;
    const double top = Relief(c, r) + (Relief(c + 1, r) - Relief(c, r)) * fx;
    const double bottom = Relief(c, r + 1) + (Relief(c + 1, r + 1) - Relief(c, r + 1)) * fx;
    return top + (bottom - top) * fz;
}

TEST(TrackProfile, BilinearHeightsAlongGeodesicsOfTheGridSpacing)
{
    const TestDir dir;
    TTerrain terrain;
    terrain.LoadFromFile(WriteHgt(dir, "N47E011.hgt", 1201, Relief));
    // Across the void patch (around 47.51 N, 11.59 E) and back off the tile.
    const std::vector<TLatLon> line{{47.9, 11.2}, {47.3, 11.8}, {47.5, 12.4}};
    const TProfile profile = ProfileAlong(terrain, line);

    const auto &wgs84 = GeographicLib::Geodesic::WGS84();
    double expected = 0;
    for (size_t i = 1; i < line.size(); ++i) {
        double leg = 0;
        wgs84.Inverse(line[i - 1].Lat, line[i - 1].Lon, line[i].Lat, line[i].Lon, leg);
        expected += leg;
    }
    EXPECT_NEAR(profile.Summary.Length, expected, 1e-6);
    EXPECT_NEAR(profile.Samples.back().Distance, expected, 1e-6);

    const double spacing = std::min(terrain.GeoRef.SpacingX(), terrain.GeoRef.SpacingY());
    int voids = 0, off = 0, heights = 0;
    bool secondPoint = false;
    for (size_t i = 0; i < profile.Samples.size(); ++i) {
        const TProfileSample &s = profile.Samples[i];
        if (i > 0) {
            EXPECT_LE(s.Distance - profile.Samples[i - 1].Distance, spacing * 1.0001);
        }
        secondPoint |= s.Where.Lat == line[1].Lat && s.Where.Lon == line[1].Lon;
        if (s.Where.Lon > 12) {
            EXPECT_FALSE(s.Height) << s.Distance;
            ++off;
            continue;
        }
        const auto g = terrain.GeoRef.GridAt(s.Where);
        const bool nearVoid = (*g)[0] > 698 && (*g)[0] < 721 && (*g)[1] > 578 && (*g)[1] < 601;
        if (nearVoid && !s.Height) {
            ++voids;
            continue;
        }
        ASSERT_TRUE(s.Height) << s.Distance;
        EXPECT_NEAR(*s.Height, Bilinear((*g)[0], (*g)[1]), 1e-6);
        ++heights;
    }
    EXPECT_TRUE(secondPoint);
    // The hover link both ways: a point along the plot, found again on the terrain.
    const auto middle = ProfilePointAt(profile, 61234.5);
    ASSERT_TRUE(middle);
    EXPECT_NEAR(ProfileDistanceNear(profile, *middle, spacing).value_or(-1), 61234.5, spacing / 2);
    EXPECT_FALSE(ProfileDistanceNear(profile, {47.0, 11.0}, spacing));
    EXPECT_GT(voids, 0);
    EXPECT_GT(off, 0);
    EXPECT_GT(heights, 1000);
    EXPECT_GE(profile.Summary.MinHeight, 1000);
    EXPECT_LT(profile.Summary.MinHeight, 1020);
    EXPECT_GT(profile.Summary.MaxHeight, 1135);
    EXPECT_LE(profile.Summary.MaxHeight, 1000 + 80 + 75);
}

TEST(TrackProfile, SegmentsRoutesWaypointsAndRecordedHeightsKept)
{
    const TestDir dir;
    const std::string path = dir.Path("trip.gpx"), secret = dir.Path("secret.txt");
    WriteText(secret, "SECRET");
    // An external entity is not followed: its text never reaches a name.
    const std::string doctype = "<!DOCTYPE gpx [ <!ENTITY x SYSTEM \"file://" + secret + "\"> ]>\n";
    WriteText(path, Gpx("<wpt lat=\"47.5\" lon=\"11.5\"><name>Hütte</name></wpt>\n"
                        "<trk><name>Day &x;one</name>"
                        "<trkseg><trkpt lat=\"47.1\" lon=\"11.1\"><ele>500</ele></trkpt>"
                        "<trkpt lat=\"47.1\" lon=\"11.2\"><ele>700</ele></trkpt></trkseg>"
                        "<trkseg><trkpt lat=\"47.2\" lon=\"11.2\"><ele>650</ele></trkpt>"
                        "<trkpt lat=\"47.2\" lon=\"11.3\"/><trkpt lat=\"47.3\" lon=\"11.3\"><ele>800</ele></trkpt>"
                        "</trkseg></trk>\n",
                        doctype));
    const TTrack track = ReadTrack(path);
    EXPECT_EQ(track.Name, "Day one");
    ASSERT_EQ(track.Segments.size(), 2u);
    ASSERT_EQ(track.Segments[0].Points.size(), 2u);
    ASSERT_EQ(track.Segments[1].Points.size(), 3u);
    EXPECT_EQ(track.Segments[1].Points[0].Elevation, 650);
    EXPECT_FALSE(track.Segments[1].Points[1].Elevation);  // not a made-up 0 m
    EXPECT_EQ(track.Segments[1].Points[2].Elevation, 800);
    EXPECT_DOUBLE_EQ(track.Segments[1].Points[2].Where.Lat, 47.3);
    ASSERT_EQ(track.Waypoints.size(), 1u);
    EXPECT_EQ(track.Waypoints[0].Name, "Hütte");

    TTerrain none;  // no terrain: distances and recorded heights only
    const TProfile profile = ProfileAlong(none, track.Segments);
    const double first = GeodesicMetres({47.1, 11.1}, {47.1, 11.2});
    const auto second = std::find_if(profile.Samples.begin(), profile.Samples.end(),
                                     [](const TProfileSample &s) { return s.Break; });
    ASSERT_NE(second, profile.Samples.end());
    EXPECT_NEAR(second->Distance, first, 1e-6);  // distance runs on, the gap adds nothing
    EXPECT_EQ(second->TrackHeight, 650);
    EXPECT_EQ(std::count_if(profile.Samples.begin(), profile.Samples.end(),
                            [](const TProfileSample &s) { return s.Break; }),
              1);
    EXPECT_NE(ProfileCsv(profile).find("\n0.00,47.1000000,11.1000000,,500.00\n"), std::string::npos);
}

TEST(TrackProfile, BadFilesRefusedWholeWithTheFileNamed)
{
    const TestDir dir;
    std::string bomb = "<?xml version=\"1.0\"?>\n<!DOCTYPE gpx [\n<!ENTITY a \"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\">\n";
    for (char e = 'b'; e <= 'k'; ++e) {
        bomb += std::string("<!ENTITY ") + e + " \"";
        for (int i = 0; i < 10; ++i)
            bomb += std::string("&") + char(e - 1) + ";";
        bomb += "\">\n";
    }
    bomb += "]>\n<gpx version=\"1.1\" creator=\"t\" xmlns=\"http://www.topografix.com/GPX/1/1\">"
            "<trk><name>&k;</name><trkseg><trkpt lat=\"47.1\" lon=\"11.1\"/><trkpt lat=\"47.2\" lon=\"11.2\"/>"
            "</trkseg></trk></gpx>\n";
    const std::string good = "<trk><trkseg><trkpt lat=\"47.1\" lon=\"11.1\"/><trkpt lat=\"47.2\" lon=\"11.2\"/></trkseg></trk>\n";
    const std::string full = Gpx(good + good);
    const std::vector<std::pair<std::string, std::string>> files{
        {"truncated.gpx", full.substr(0, full.size() - 40)},
        {"metadata-only.gpx", Gpx("<metadata><name>nothing</name></metadata>\n")},
        {"bomb.gpx", bomb},
        {"far.gpx", Gpx("<trk><trkseg><trkpt lat=\"147.1\" lon=\"11.1\"/></trkseg></trk>\n")},
        {"text.gpx", "just some words\n"},
        {"missing.gpx", ""},
    };
    for (const auto &[name, text] : files) {
        const std::string path = dir.Path(name);
        if (name != "missing.gpx")
            WriteText(path, text);
        try {
            ReadTrack(path);
            ADD_FAILURE() << name << " was read";
        } catch (const ETerrainError &e) {
            EXPECT_EQ(e.File(), path);
            const std::string why = e.what();
            EXPECT_GT(why.size(), 10u) << name;
            if (name == "bomb.gpx") {
                EXPECT_NE(why.find("million laugh"), std::string::npos) << why;
            }
        }
    }
}

}  // namespace
