// One loaded terrain: the height grid read from a tile or heightmap, and the
// shaded, height-coloured texture computed from it. Knows nothing of OpenGL;
// the terrain views own one and forward to it, the tile browser and the
// command-line tool use it directly.
#pragma once

#include "HeightGrid.h"

#include <QImage>

#include <functional>
#include <string>

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
    int MinHeight = 0;       // lowest non-void sample, metres
    int MaxHeight = 0;       // highest non-void sample, metres
    std::string FileName;    // last file given to LoadFromFile
    // Where the grid lies: its south-west corner in degrees, and the degrees
    // one edge spans (1 for a tile, k for a block of k × k tiles). Set by
    // every load; a file not named like a tile lies at (0, 0).
    double OriginLat = 0.0, OriginLon = 0.0;
    int Span = 1;
    bool HgtLoaded = false;  // FileName ends in ".hgt"
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
    void Clear();
    // Writes the grid as a 32-bit grey BMP; false when it cannot be written.
    // `saturatedWhite`, when given, receives the number of samples above
    // 1023 m, which the 4 m grey steps can only write as white.
    bool SaveHeightmap(const std::string &fileName, int64_t *saturatedWhite = nullptr) const;

    bool Empty() const { return Heights.Empty(); }

    // Sampling
    void WorldToGrid(float p[3]) const;     // world X, Z → grid column, row in place
    float SampleHeight(float gx, float gz) const;  // world units; voids one metre below MinHeight

    // Texture: normal map, colour ramp and shading into TextureBitmap.
    void BuildTexture();
    void ComputeTexture();

    // Names the loaded grid and says where it lies (see OriginLat).
    void PlaceAt(const std::string &name, bool tiles, double originLat, double originLon, int span);

private:
    // Swaps a completely read grid in; the only place a load changes state.
    void Adopt(TSIArray &grid, int minHeight, int maxHeight);
};
