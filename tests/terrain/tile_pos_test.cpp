// Tile names, positions inside a tile and the coordinate text.
#include "TilePos.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>

namespace {

TTilePos OriginOf(const std::string &name)
{
    TTilePos pos;
    pos.SetOrigin(99, 99);  // must be overwritten, also with (0, 0)
    pos.SetOffset(0.25, 0.75);
    pos.Size = 640;
    pos.High = 1200;
    TileOriginFromName(pos, name);
    EXPECT_EQ(pos.DLat, 0.25) << name;
    EXPECT_EQ(pos.DLon, 0.75) << name;
    EXPECT_EQ(pos.Size, 640) << name;
    EXPECT_EQ(pos.High, 1200) << name;
    return pos;
}

TTilePos At(double lat, double lon)
{
    TTilePos pos;
    pos.SetOrigin(std::trunc(lat), std::trunc(lon));
    pos.SetOffsetFromLatLon(lat, lon);
    return pos;
}

}  // namespace

TEST(TileNames, GiveTheSouthWestCorner)
{
    struct Case {
        const char *name;
        double lat, lon;
    } cases[] = {
        {"N47E011.hgt", 47, 11},
        {"S05W072.hgt", -5, -72},
        {"N47E011.hgt.zip", 47, 11},
        {"/data/srtm/s05w072/N00W180.hgt", 0, -180},
        {"S89E179.bmp", -89, 179},
        {"n47e011.hgt", 47, 11},  // as some servers deliver them
        {"s05w072.hgt.zip", -5, -72},
        {"x47y011.hgt", 0, 0},
        {"N47E11.hgt", 0, 0},
        {"N47E011_terrain.hgt", 0, 0},
        {"terrain.hgt", 0, 0},
        {"", 0, 0},
    };
    for (const Case &c : cases) {
        const TTilePos pos = OriginOf(c.name);
        EXPECT_EQ(pos.Lat, c.lat) << c.name;
        EXPECT_EQ(pos.Lon, c.lon) << c.name;
    }
}

TEST(TileNames, OfAPointRoundHalvesToEvenAndTakeTheSignBeforeRounding)
{
    EXPECT_EQ(TileNameFor(At(-0.4, 10.6)), "S00E011");
    EXPECT_EQ(TileNameFor(At(47.5, 11.5)), "N48E012");
    EXPECT_EQ(TileNameFor(At(46.5, 8.5)), "N46E008");
    EXPECT_EQ(TileNameFor(At(-12.5, -72.5)), "S12W072");
    EXPECT_EQ(TileNameFor(At(0, 0)), "N00E000");
    EXPECT_EQ(TileNameFor(At(5.2, 100.2)), "N05E100");
    // Out-of-range points still give a name of the fixed width.
    EXPECT_EQ(TileNameFor(At(1e9, -1e9)), "N99W999");
}

TEST(CoordinateText, PutsLongitudeFirstWithSixDecimals)
{
    EXPECT_EQ(FormatLatLon({-33.9, 151.2}), "151.200000E  33.900000S");
    EXPECT_EQ(FormatLatLon({47.25, 11.5}), "11.500000E  47.250000N");
    EXPECT_EQ(FormatLatLon({0, -0.0000004}), "0.000000W  0.000000N");
    if (std::setlocale(LC_ALL, "de_DE.UTF-8")) {
        EXPECT_EQ(FormatLatLon({47.25, 11.5}), "11.500000E  47.250000N");
        std::setlocale(LC_ALL, "C");
    }
    const TLatLon p = MakeLatLon(11.5, 47.25);  // longitude first, as placemark lines store it
    EXPECT_EQ(p.Lat, 47.25);
    EXPECT_EQ(p.Lon, 11.5);
}

TEST(TilePositions, ConvertBetweenDegreesAndTheWorldSquare)
{
    TTilePos pos;
    pos.SetOrigin(47, 11);
    pos.Size = 1000;

    // The north-west corner of the square lies at world (-500, -500); the
    // scene translation of a point is its negated world position.
    pos.SetOffsetFromWorld(500, 500);
    EXPECT_DOUBLE_EQ(pos.DLon, 0);
    EXPECT_DOUBLE_EQ(pos.DLat, 1);
    pos.SetOffsetFromWorld(-250, -500);  // world (250, 500): three quarters east, southern edge
    EXPECT_DOUBLE_EQ(pos.DLon, 0.75);
    EXPECT_DOUBLE_EQ(pos.DLat, 0);
    double x = 0, z = 0;
    pos.GetWorldXZ(x, z);
    EXPECT_DOUBLE_EQ(x, 250);
    EXPECT_DOUBLE_EQ(z, 500);

    pos.SetOffsetFromLatLon(47.5, 11.25);
    EXPECT_DOUBLE_EQ(pos.DLat, 0.5);
    EXPECT_DOUBLE_EQ(pos.DLon, 0.25);
    pos.GetWorldXZ(x, z);
    EXPECT_DOUBLE_EQ(x, -250);
    EXPECT_DOUBLE_EQ(z, 0);
    const TLatLon back = pos.GetLatLon();
    EXPECT_DOUBLE_EQ(back.Lat, 47.5);
    EXPECT_DOUBLE_EQ(back.Lon, 11.25);
}
