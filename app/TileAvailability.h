// Which tiles of the world have a ".hgt.zip" file in the tile folder, indexed
// by the tile's south-west corner.
#pragma once

#include <array>
#include <string>

class TTileAvailability {
public:
    static constexpr int MinLat = -90, MaxLat = 90;
    static constexpr int MinLon = -180, MaxLon = 180;

    void Clear() { available_.fill(false); }
    // Corners outside the world are refused: false, nothing set.
    bool Set(int lat, int lon);
    bool Get(int lat, int lon) const;
    int Count() const;
    // Tiles whose south-west corner lies in the square of `degrees` whose
    // south-west corner is (south, west), its northern and eastern edges left out.
    int CountInside(int south, int west, int degrees) const;

    // Clears, then marks the tile of every file named like "*.hgt.zip" in
    // `folder`. A name that is not a tile name marks 0°, 0°; a name whose
    // corner lies outside the world is skipped.
    void Scan(const std::string &folder);

private:
    static bool Inside(int lat, int lon) { return lat >= MinLat && lat <= MaxLat && lon >= MinLon && lon <= MaxLon; }
    static int Index(int lat, int lon) { return (lon - MinLon) * (MaxLat - MinLat + 1) + (lat - MinLat); }
    std::array<bool, (MaxLon - MinLon + 1) * (MaxLat - MinLat + 1)> available_{};
};
