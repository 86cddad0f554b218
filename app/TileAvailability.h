// Which tiles of the world have a file in the tile folder (a ".hgt.zip" or
// a Copernicus DEM tile), indexed by the tile's south-west corner.
#pragma once

#include <array>
#include <map>
#include <string>

class TTileAvailability {
public:
    static constexpr int MinLat = -90, MaxLat = 90;
    static constexpr int MinLon = -180, MaxLon = 180;

    void Clear()
    {
        available_.fill(false);
        srtm_.clear();
        copernicus_.clear();
    }
    // Corners outside the world are refused: false, nothing set.
    bool Set(int lat, int lon);
    bool Get(int lat, int lon) const;
    int Count() const;
    // Tiles whose south-west corner lies in the square of `degrees` whose
    // south-west corner is (south, west), its northern and eastern edges left out.
    int CountInside(int south, int west, int degrees) const;

    // Clears, then marks the tile of every file named like "*.hgt.zip" and of
    // every Copernicus DEM tile in `folder`. A "*.hgt.zip" name that is not a
    // tile name marks 0°, 0° (with no file); a name whose corner lies outside
    // the world is skipped.
    void Scan(const std::string &folder);

    // The paths Scan found for a tile, empty where there is none: its
    // ".hgt.zip" named like a tile in either letter case, its Copernicus tile.
    std::string SrtmFile(int lat, int lon) const { return Found(srtm_, lat, lon); }
    std::string CopernicusFile(int lat, int lon) const { return Found(copernicus_, lat, lon); }

private:
    static std::string Found(const std::map<int, std::string> &files, int lat, int lon)
    {
        const auto it = Inside(lat, lon) ? files.find(Index(lat, lon)) : files.end();
        return it == files.end() ? std::string() : it->second;
    }
    static bool Inside(int lat, int lon) { return lat >= MinLat && lat <= MaxLat && lon >= MinLon && lon <= MaxLon; }
    static int Index(int lat, int lon) { return (lon - MinLon) * (MaxLat - MinLat + 1) + (lat - MinLat); }
    std::array<bool, (MaxLon - MinLon + 1) * (MaxLat - MinLat + 1)> available_{};
    std::map<int, std::string> srtm_, copernicus_;  // by Index
};
