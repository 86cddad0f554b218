// One loaded terrain: the height grid read from a tile or heightmap, and the
// shaded, height-coloured texture computed from it. Knows nothing of OpenGL;
// the terrain views own one and forward to it, the tile browser and the
// command-line tool use it directly.
#pragma once

#include "GeoReference.h"
#include "HeightGrid.h"

#include <QImage>

#include <array>
#include <functional>
#include <optional>
#include <string>

// A point of the terrain: where it lies on the world square the views draw
// (X west to east, Z north to south) and on the Earth.
struct TGroundPoint {
    double X = 0, Z = 0;
    TLatLon LatLon;
};

// What the grid was read from, for the information box and `info`.
struct TSourceInfo {
    std::string Driver;      // "SRTM .hgt", "bitmap", or GDAL's driver ("GTiff")
    int Width = 0, Height = 0;  // samples of the file (of the block for tiles)
    int ReadAt = 1;          // read at 1:ReadAt along each axis (decimated when > 1)
};

class TTerrain {
public:
    // World units per metre of height.
    static constexpr float HeightScale = 0.006f;
    static constexpr int HgtSize1201 = 2884802;   // 1201² samples of two bytes
    static constexpr int HgtSize3601 = 25934402;  // 3601² samples of two bytes
    static constexpr int MaxBitmapWidth = 16384;  // wider or taller heightmaps are refused

    TTerrain();

    // Height grid and its file
    TSIArray Heights;
    int GridHigh = -1;       // highest index in both directions
    int MinHeight = 0;       // lowest non-void sample, grid steps (metres for tiles)
    int MaxHeight = 0;       // highest non-void sample, grid steps
    // A grid sample h stands for HeightBase + h × HeightStep metres. Tiles
    // and heightmaps hold whole metres (step 1, base 0); a fine model (LiDAR
    // at a metre or two) keeps decimetres or less where its range allows,
    // so its light is not cut into terraces.
    double HeightStep = 1.0;
    double HeightBase = 0.0;
    double Metres(double sample) const { return HeightBase + sample * HeightStep; }
    std::string FileName;    // last file given to LoadFromFile
    // Where every sample lies. Set by every load; a heightmap not named like
    // a tile lies at (0, 0) and spans one degree.
    TGeoReference GeoRef;
    TSourceInfo Source;
    bool HgtLoaded = false;  // tiles (.hgt, .hgt.zip, a block of them)
    int WorldSize = 0;       // edge length of the terrain square in world units

    // Texture
    int Resolution = 256;    // texels per side (and mesh samples per side)
    bool Gradient = false;   // smooth colour ramp
    bool Shading = true;     // modulate colours by slope lighting
    int SeaLevel = 0;        // metres subtracted before colouring
    QImage TextureBitmap;    // Resolution², Format_RGB32 (B, G, R, x per pixel)
    bool TextureBuilt = false;

    // Threads of the texture computation: 0 uses every core, 1 only the
    // calling thread. The texture comes out the same bit for bit either way.
    int TextureThreads = 0;

    // Progress in whole percent, 0 … 100; may be empty.
    std::function<void(int percent)> OnProgress;
    void DoProgress(float fraction) const;

    // Loading. Each throws ETerrainError (naming the file) on failure and then
    // leaves the grid, its figures and the texture exactly as they were.
    void LoadFromFile(const std::string &fileName);  // by extension; others Clear
    void LoadHgt(const std::string &fileName);
    void LoadBmp(const std::string &fileName);
    // A tile's bytes already in memory (a zipped tile's member); `fileName`
    // names it in messages. Sets the grid and its figures only: the caller
    // says where it lies.
    void LoadHgtBytes(const uint8_t *bytes, size_t size, const std::string &fileName);
    // Takes a grid assembled elsewhere (a block of tiles) with its figures,
    // its south-west corner, the degrees it spans and the name it goes by.
    void AdoptBlock(TSIArray &grid, int minHeight, int maxHeight, double originLat, double originLon, int span,
                    const std::string &name);
    // Takes a grid read by another reader (GDAL) with everything that
    // describes it. `grid` holds samples of `step` metres above `base`.
    void AdoptRaster(TSIArray &grid, int minHeight, int maxHeight, double step, double base,
                     const TGeoReference &geoRef, const TSourceInfo &source, const std::string &name);
    void Clear();
    // Writes the grid as a 32-bit grey BMP; false when it cannot be written.
    // `saturatedWhite`, when given, receives the number of samples above
    // 1023 m, which the 4 m grey steps can only write as white.
    bool SaveHeightmap(const std::string &fileName, int64_t *saturatedWhite = nullptr) const;

    bool Empty() const { return Heights.Empty(); }

    // Sampling
    void WorldToGrid(float p[3]) const;     // world X, Z → grid column, row in place
    float SampleHeight(float gx, float gz) const;  // world units; voids one step below MinHeight
    // Metres at a fractional grid position, interpolated bilinearly between
    // the four samples around it; empty off the grid or next to a void.
    std::optional<double> InterpolatedMetres(double gx, double gz) const;

    // The world square ↔ the Earth, through GeoRef and WorldSize.
    TLatLon LatLonAtWorld(double x, double z) const;
    // Empty where the point cannot be placed; not clamped to the square.
    std::optional<std::array<double, 2>> WorldAt(const TLatLon &p) const;
    TGroundPoint GroundAt(double x, double z) const { return {x, z, LatLonAtWorld(x, z)}; }

    // Texture: normal map, colour ramp and shading into TextureBitmap.
    void BuildTexture();
    void ComputeTexture();

    // Names the loaded grid and says where it lies: tiles of `span`
    // degrees from the south-west corner (originLat, originLon).
    void PlaceAt(const std::string &name, bool tiles, double originLat, double originLon, int span);

private:
    // Swaps a completely read grid in; the only place a load changes state.
    void Adopt(TSIArray &grid, int minHeight, int maxHeight);
};
