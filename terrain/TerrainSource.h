// Where a terrain comes from: one height file (.hgt, grey .bmp), one zipped
// tile (.hgt.zip), a Copernicus DEM tile (CopernicusTile.h), or a square
// block of neighbouring tiles (TileBlock.h), also a sheet's archive of them.
// The main window, the tile browser's preview and orolith-cli load through
// a source; nothing else knows how a grid was assembled.
#pragma once

#include <memory>
#include <string>
#include <vector>

class TTerrain;

class TTerrainSource {
public:
    virtual ~TTerrainSource() = default;

    // The files it reads, as the user named them.
    const std::vector<std::string> &Files() const { return files_; }

    // Reads the grid and where it lies into `terrain`. Throws ETerrainError
    // naming the file and then leaves `terrain` exactly as it was.
    virtual void LoadInto(TTerrain &terrain) const = 0;

protected:
    explicit TTerrainSource(std::vector<std::string> files) : files_(std::move(files)) {}

private:
    std::vector<std::string> files_;
};

// The source for what the user opened: one file by the reader that takes
// it, several tile files as the smallest square block that covers them.
// Throws ETerrainError naming the file(s) when no reader takes the file or
// the files cannot make one terrain.
std::unique_ptr<TTerrainSource> TerrainSourceFor(const std::vector<std::string> &files);
