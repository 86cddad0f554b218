// orolith-cli profile: a track's or a line's heights over the terrain as a
// CSV or a picture, with the summary on stdout.
#include "RunCli.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <QImage>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

QString Q(const std::string &s)
{
    return QString::fromStdString(s);
}

std::string ReadText(const std::string &path)
{
    std::stringstream s;
    s << std::ifstream(path).rdbuf();
    return s.str();
}

// Heights rise one metre a sample from west to east.
std::string RampTile(const TestDir &dir)
{
    return WriteHgt(dir, "N47E008.hgt", 1201, [](int col, int) { return int16_t(100 + col); });
}

TEST(CliProfile, TrackToCsvWithTheSummary)
{
    TestDir dir;
    const std::string tile = RampTile(dir);
    const std::string gpx = dir.Path("walk.gpx");
    std::ofstream(gpx) << "<?xml version=\"1.0\"?><gpx version=\"1.1\" creator=\"t\" "
                          "xmlns=\"http://www.topografix.com/GPX/1/1\"><trk><trkseg>"
                          "<trkpt lat=\"47.5\" lon=\"8.1\"><ele>230</ele></trkpt>"
                          "<trkpt lat=\"47.5\" lon=\"8.9\"><ele>1170</ele></trkpt>"
                          "</trkseg></trk></gpx>\n";
    const std::string csv = dir.Path("walk.csv");
    const TCliRun r = RunCli({"profile", Q(tile), "--track", Q(gpx), Q(csv)});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("Ascent: 960.0\nDescent: 0.0\nMinHeight: 220.0\nMaxHeight: 1180.0\n"), std::string::npos)
        << r.out;
    EXPECT_EQ(r.out.rfind("Length: 60", 0), 0u) << r.out;

    std::istringstream lines(ReadText(csv));
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, "distance_m,lat,lon,height_m,gpx_height_m");
    int rows = 0;
    while (std::getline(lines, line)) {
        ++rows;
        ASSERT_EQ(std::count(line.begin(), line.end(), ','), 4) << line;
        ASSERT_NE(line.back(), ',') << line;  // a recorded height on every sample
    }
    EXPECT_GT(rows, 950);  // one a grid step: 63 m west to east here

    // Bad tracks (cut off; waypoints only): exit 1 naming the file, nothing written.
    for (const char *text : {"<gpx version=\"1.1\"><trk><trkseg><trkpt lat=\"47.5\"",
                             "<gpx version=\"1.1\"><wpt lat=\"47.5\" lon=\"8.5\"/></gpx>"}) {
        std::ofstream(gpx) << text;
        const std::string none = dir.Path("none.csv");
        const TCliRun bad = RunCli({"profile", Q(tile), "--track", Q(gpx), Q(none)});
        EXPECT_EQ(bad.code, 1);
        EXPECT_NE(bad.err.find(gpx), std::string::npos) << bad.err;
        EXPECT_FALSE(std::filesystem::exists(none));
    }
}

TEST(CliProfile, LineToPictures)
{
    TestDir dir;
    const std::string tile = RampTile(dir);
    const std::string png = dir.Path("p.png"), svg = dir.Path("p.svg");
    for (const auto &out : {png, svg}) {
        const TCliRun r = RunCli({"profile", Q(tile), "--line", "47.2,8.2", "47.8,8.5", "47.4,8.7", Q(out)});
        ASSERT_EQ(r.code, 0) << r.err;
        EXPECT_NE(r.out.find("Descent: 0.0\n"), std::string::npos) << r.out;
    }
    const QImage picture(Q(png));
    EXPECT_EQ(picture.size(), QSize(1200, 400));
    KeepScreenshot(picture, "cli_profile_line");
    EXPECT_NE(ReadText(svg).find("<svg"), std::string::npos);

    const TCliRun off = RunCli({"profile", Q(tile), "--line", "10,10", "10.5,10.5", Q(dir.Path("off.csv"))});
    EXPECT_EQ(off.code, 1);
    EXPECT_NE(off.err.find("off the terrain"), std::string::npos) << off.err;
}

}  // namespace
