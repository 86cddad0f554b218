#include "TerrainSource.h"

#include "CopernicusTile.h"
#include "Terrain.h"
#include "TerrainError.h"
#include "TerrainReaders.h"
#include "TileBlock.h"
#include "TilePos.h"
#include "Utils.h"
#include "ZipExtract.h"

namespace {

// A .hgt tile or a grey bitmap, read as it is.
class THeightFile : public TTerrainSource {
public:
    explicit THeightFile(const std::string &path) : TTerrainSource({path}) {}
    void LoadInto(TTerrain &terrain) const override { terrain.LoadFromFile(Files().front()); }
};

// A .hgt.zip: the member is decompressed straight into memory, and the
// archive's name, not the member's, says where the tile lies (archives
// often hold "n47e011.hgt" or another name).
class TZippedTile : public TTerrainSource {
public:
    explicit TZippedTile(const std::string &path) : TTerrainSource({path}) {}
    void LoadInto(TTerrain &terrain) const override
    {
        const std::string &archive = Files().front();
        std::string member;
        const THgtBytes bytes = ReadTileFromZip(archive, member);
        try {
            terrain.LoadHgtBytes(bytes.data(), bytes.size(), archive);
        } catch (const ETerrainError &e) {
            throw ETerrainError(member + ": " + e.what(), archive);
        }
        TTilePos origin;
        TileOriginFromName(origin, archive);
        terrain.PlaceAt(archive, true, origin.Lat, origin.Lon, 1);
    }
};

// An archive of one tile, or a sheet of a tile collection opened as the block
// of its tiles. An archive that cannot be judged is left to the one-tile
// source, whose load says what is wrong with it.
std::unique_ptr<TTerrainSource> OpenArchive(const std::string &path)
{
    std::vector<TZipTile> members;
    try {
        members = SheetTiles(path);
    } catch (const ETerrainError &) {
    }
    if (!members.empty())
        return std::make_unique<TTileBlock>(TTileBlock::OfSheet(path, members));
    return std::make_unique<TZippedTile>(path);
}

}  // namespace

std::vector<TTerrainReader> TileFileReaders()
{
    const auto file = [](const std::string &path) -> std::unique_ptr<TTerrainSource> {
        return std::make_unique<THeightFile>(path);
    };
    const auto extension = [](const char *ext) {
        return [ext](const std::string &path) { return LowerExtension(path) == ext; };
    };
    return {
        // Before any reader of *.tif: these are told by their names.
        {"Copernicus DEM Tiles", {"*_DEM.tif"}, IsCopernicusTileName, CopernicusTileSource},
        {"Uncompressed Heightmaps", {"*.hgt"}, extension("hgt"), file},
        // A sheet's archive holds several tiles under a name of its own.
        {"Compressed Heightmaps", {"*.hgt.zip", "*.zip"}, extension("zip"), OpenArchive},
        {"Bitmap Heightmaps", {"*.bmp"}, extension("bmp"), file},
    };
}

std::unique_ptr<TTerrainSource> TerrainSourceFor(const std::vector<std::string> &files)
{
    if (files.empty())
        throw ETerrainError("no terrain file given");
    if (files.size() > 1)
        return std::make_unique<TTileBlock>(TTileBlock::Covering(files));
    const TTerrainReader *reader = ReaderFor(files.front());
    if (!reader)
        throw ETerrainError("Orolith cannot read this kind of file; it reads " + TerrainFilePatterns(), files.front());
    return reader->Open(files.front());
}
