// Geographic positions on a tile: SRTM tile names, a point inside a tile and
// its world coordinates, and the text form of a coordinate pair.
#pragma once

#include <string>

// Latitude then longitude, degrees, north and east positive.
struct TLatLon {
    double Lat = 0.0;
    double Lon = 0.0;
    bool operator==(const TLatLon &) const = default;
};

// Latitude −90 … 90 and longitude −180 … 180 (NaN is neither).
inline bool OnEarth(const TLatLon &p)
{
    return p.Lat >= -90 && p.Lat <= 90 && p.Lon >= -180 && p.Lon <= 180;
}

// A tile's south-west corner plus a point inside it, with the terrain square
// it is drawn on. Every geographic read-out goes through one of these.
struct TTilePos {
    double Lat = 0.0;   // south-west corner
    double Lon = 0.0;
    double DLat = 0.0;  // offset of the point, degrees: 0 southern edge … Span northern edge
    double DLon = 0.0;  // 0 western edge … Span eastern edge
    int Size = 0;       // edge of the terrain square, world units
    int High = 0;       // the grid's GridHigh
    int Span = 1;       // degrees one edge of the square spans: 1 for a tile, k for a block of k × k

    void SetOrigin(double lat, double lon);
    void SetOffset(double dLat, double dLon);
    // Absolute degrees to offsets from the corner.
    void SetOffsetFromLatLon(double lat, double lon);
    // From a scene translation, i.e. the negated world X and Z of the point.
    void SetOffsetFromWorld(double tx, double tz);
    TLatLon GetLatLon() const;
    void GetLatLon(TLatLon &p) const { p = GetLatLon(); }
    void GetWorldXZ(double &x, double &z) const;
};

// Sets Lat and Lon from a file name like N47E011.hgt or S05W072.hgt.zip
// (folder ignored); (0, 0) when the name is not a tile name. Hemisphere
// letters count in either case (n47e011.hgt, as some servers deliver them).
// The offsets, Size and High are left alone.
void TileOriginFromName(TTilePos &pos, const std::string &fileName);

// Whether a file name (folder ignored) is a tile's: N47E011.hgt,
// S05W072.hgt.zip, n47e011.hgt; as for TileOriginFromName.
bool IsTileName(const std::string &fileName);

// A Copernicus DEM tile's name, folder ignored, in any letter case:
// Copernicus_DSM_COG_10_N47_00_E008_00_DEM.tif (GLO-30; GLO-90 has 30 for
// 10, the older delivery no "COG_"). Gives the tile's south-west corner in
// whole degrees; false for any other name.
bool CopernicusTileCorner(const std::string &fileName, int &lat, int &lon);
bool IsCopernicusTileName(const std::string &fileName);

// Tile name without extension of the point Lat + DLat, Lon + DLon: hemisphere
// from the sign, degrees rounded to the nearest integer, halves to even.
std::string TileNameFor(const TTilePos &pos);

// "11.500000E  47.250000N": longitude first, six decimals, "." whatever the locale.
std::string FormatLatLon(const TLatLon &p);

// Longitude first, the order of stored placemark lines.
TLatLon MakeLatLon(double lon, double lat);
