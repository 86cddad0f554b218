// A block of neighbouring tiles opened as one terrain: the grid it
// assembles, the voids of a missing tile, the texture across the seams, the
// geography of its north-east tile, and what it refuses.
#include "Terrain.h"
#include "TerrainError.h"
#include "TerrainSource.h"
#include "TestFiles.h"
#include "TileBlock.h"
#include "TilePos.h"

#include <gtest/gtest.h>

#include <zip.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

constexpr int N = 1201, Step = N - 1;

// One made-up landscape two tiles wide: every tile is cut from it, so shared
// edges agree as they do between real SRTM tiles.
int16_t Land(int col, int row)
{
    if ((col * 31 + row * 17) % 997 == 0)
        return -32768;  // a few voids
    return static_cast<int16_t>(std::lround(900 + 600 * std::sin(col * 0.004) * std::cos(row * 0.003) + (col % 7) * 3));
}

std::vector<uint8_t> TileOfLand(int blockRow, int blockCol)
{
    return MakeHgtBytes(N, [=](int c, int r) { return Land(c + blockCol * Step, r + blockRow * Step); });
}

std::string WriteZippedTile(const TestDir &dir, const std::string &name, const std::vector<uint8_t> &bytes)
{
    const std::string path = dir.Path(name + ".hgt.zip");
    int error = 0;
    zip_t *zip = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    // The member named in lower case, as many archives have it.
    std::string member = name + ".hgt";
    for (char &ch : member)
        ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    zip_file_add(zip, member.c_str(), zip_source_buffer(zip, bytes.data(), bytes.size(), 0), 0);
    EXPECT_EQ(zip_close(zip), 0);
    return path;
}

// The 2 × 2 block N40E010 – N41E011; `skip` leaves out one tile (row, col from the north-west).
std::vector<std::string> WriteBlock(const TestDir &dir, int skipRow = -1, int skipCol = -1)
{
    std::vector<std::string> files;
    const char *names[2][2] = {{"N41E010", "N41E011"}, {"N40E010", "N40E011"}};
    for (int row = 0; row < 2; ++row)
        for (int col = 0; col < 2; ++col) {
            if (row == skipRow && col == skipCol)
                continue;
            const std::string name = names[row][col];
            // One of them zipped: a block mixes both forms.
            files.push_back(row == 0 && col == 1 ? WriteZippedTile(dir, name, TileOfLand(row, col))
                                                 : (WriteFileBytes(dir.Path(name + ".hgt"), TileOfLand(row, col)),
                                                    dir.Path(name + ".hgt")));
        }
    return files;
}

TTerrain LoadBlock(const std::vector<std::string> &files)
{
    TTerrain terrain;
    TerrainSourceFor(files)->LoadInto(terrain);
    return terrain;
}

std::string Refusal(const std::vector<std::string> &files)
{
    try {
        LoadBlock(files);
    } catch (const ETerrainError &e) {
        return e.FullMessage();
    }
    return {};
}

}  // namespace

TEST(TileBlock, ReassemblesTheGridItsTilesWereCutFrom)
{
    TestDir dir;
    const TTerrain t = LoadBlock(WriteBlock(dir));
    ASSERT_EQ(t.GridHigh, 2 * Step);
    int lo = 99999, hi = -99999;
    for (int r = 0; r <= 2 * Step; ++r)
        for (int c = 0; c <= 2 * Step; ++c) {
            ASSERT_EQ(t.Heights(c, r), Land(c, r)) << c << ", " << r;
            if (Land(c, r) != -32768)
                lo = std::min(lo, int(Land(c, r))), hi = std::max(hi, int(Land(c, r)));
        }
    EXPECT_EQ(t.MinHeight, lo);
    EXPECT_EQ(t.MaxHeight, hi);
    EXPECT_EQ(t.GeoRef.SouthLat(), 40);
    EXPECT_EQ(t.GeoRef.WestLon(), 10);
    EXPECT_EQ(t.GeoRef.Span(), 2);
    EXPECT_TRUE(t.HgtLoaded);
    EXPECT_EQ(t.FileName, "N40E010 \u2013 N41E011");
    // A zipped tile lies where its archive's name says, whatever its member is called.
    TTerrain one;
    TerrainSourceFor({WriteBlock(dir)[1]})->LoadInto(one);
    EXPECT_EQ(one.GeoRef.SouthLat(), 41);
    EXPECT_EQ(one.GeoRef.WestLon(), 11);
}

TEST(TileBlock, AMissingTileIsVoidsButKeepsTheEdgesItShares)
{
    TestDir dir;
    // The south-east tile is sea.
    const TTerrain t = LoadBlock(WriteBlock(dir, 1, 1));
    for (int r = Step; r <= 2 * Step; ++r)
        for (int c = Step; c <= 2 * Step; ++c) {
            const bool shared = r == Step || c == Step;
            ASSERT_EQ(t.Heights(c, r), shared ? Land(c, r) : -32768) << c << ", " << r;
        }
}

// Tiles that disagree about the samples they share: the southern tile holds,
// then the eastern one, whichever tile is missing. Each block is loaded a few
// times over, since two threads writing one sample would give one value in
// some loads and the other in the rest.
TEST(TileBlock, SharedSamplesComeFromTheSouthernThenTheEasternTile)
{
    const char *names[4] = {"N41E010", "N41E011", "N40E010", "N40E011"};  // row by row from the north-west
    const auto height = [](int tile) { return static_cast<int16_t>(100 * (tile + 1)); };
    for (int missing = -1; missing < 4; ++missing) {
        TestDir dir;
        std::vector<std::string> files;
        for (int tile = 0; tile < 4; ++tile)
            if (tile != missing)
                files.push_back(WriteHgt(dir, std::string(names[tile]) + ".hgt", N, [&](int, int) { return height(tile); }));
        // The expected value of grid sample (c, r): of the tiles that hold it,
        // the one furthest south, then furthest east; a void when none is there.
        const auto expected = [&](int c, int r) {
            for (int row = r / Step; row >= (r - 1) / Step && row >= 0; --row)
                for (int col = c / Step; col >= (c - 1) / Step && col >= 0; --col)
                    if (row < 2 && col < 2 && row * 2 + col != missing)
                        return height(row * 2 + col);
            return static_cast<int16_t>(-32768);
        };
        for (int load = 0; load < 6; ++load) {
            const TTerrain t = LoadBlock(files);
            int wrong = 0;
            for (int r = 0; r <= 2 * Step; ++r)
                for (int c = 0; c <= 2 * Step; ++c)
                    wrong += t.Heights(c, r) != expected(c, r);
            ASSERT_EQ(wrong, 0) << "missing tile " << missing << ", load " << load;
            // The shared corner, spelt out.
            EXPECT_EQ(t.Heights(Step, Step), height(missing == 3 ? 2 : 3));
        }
    }
}

TEST(TileBlock, TextureMatchesEachTilesOwnAwayFromTheInnerBorders)
{
    TestDir dir;
    const std::vector<std::string> files = WriteBlock(dir);
    TTerrain block = LoadBlock(files);
    block.Resolution = 2 * Step;
    block.BuildTexture();
    // The north-east tile alone, at its own full resolution.
    TTerrain tile;
    TerrainSourceFor({files[1]})->LoadInto(tile);
    tile.MinHeight = block.MinHeight;  // voids colour the same in both
    tile.Resolution = Step;
    tile.BuildTexture();
    int worst = 0;
    for (int y = 2; y < Step - 2; ++y)
        for (int x = 2; x < Step - 2; ++x) {
            const QRgb a = block.TextureBitmap.pixel(x + Step, y), b = tile.TextureBitmap.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                              std::abs(qBlue(a) - qBlue(b))});
        }
    EXPECT_LE(worst, 1);
}

TEST(TileBlock, PlacesAPointOfItsNorthEastTile)
{
    TestDir dir;
    const TTerrain t = LoadBlock(WriteBlock(dir));
    // 41.25 N 11.75 E: in N41E011, a quarter of a degree from its southern edge.
    TTilePos pos{};
    pos.SetOrigin(t.GeoRef.SouthLat(), t.GeoRef.WestLon());
    pos.Size = 128;
    pos.High = t.GridHigh;
    pos.Span = t.GeoRef.Span();
    pos.SetOffsetFromLatLon(41.25, 11.75);
    double x = 0, z = 0;
    pos.GetWorldXZ(x, z);
    EXPECT_DOUBLE_EQ(x, 128 * 1.75 / 2 - 64);
    EXPECT_DOUBLE_EQ(z, 64 - 128 * 1.25 / 2);
    TTilePos back = pos;
    back.SetOffsetFromWorld(-x, -z);
    EXPECT_NEAR(back.GetLatLon().Lat, 41.25, 1e-12);
    EXPECT_NEAR(back.GetLatLon().Lon, 11.75, 1e-12);
    EXPECT_EQ(TileNameFor(TTilePos{0, 0, 41.25 - 0.5, 11.75 - 0.5}), "N41E011");
    // The height there is the sample of that tile under the point.
    TTerrain sized = t;
    sized.WorldSize = 128;
    float p[3] = {float(x), 0, float(z)};
    sized.WorldToGrid(p);
    EXPECT_EQ(int(p[0]), Step + Step * 3 / 4);
    EXPECT_EQ(int(p[2]), Step - Step / 4);
}

TEST(TileBlock, StaysInsideTheWorld)
{
    TestDir dir;
    const std::string a = WriteHgt(dir, "N85E170.hgt", N, [](int, int) { return int16_t(1); });
    const std::string b = WriteHgt(dir, "N87E179.hgt", N, [](int, int) { return int16_t(1); });
    // Growing north and east from N85E170 it would reach N95E180; it moves south and west instead.
    const TTileBlock covering = TTileBlock::Covering({a, b});
    EXPECT_EQ(covering.Name(), "N80E170 \u2013 N89E179");
    const TTileBlock picked(85, 175, 10, {a, b});
    EXPECT_EQ(picked.Name(), "N80E170 \u2013 N89E179");
    EXPECT_EQ(picked.Missing(), 98);
}

TEST(TileBlock, RefusesWhatCannotMakeOneTerrainAndKeepsTheOldOne)
{
    TestDir dir;
    const std::vector<std::string> block = WriteBlock(dir);
    const std::string big = WriteHgt(dir, "N40E012.hgt", 3601, [](int, int) { return int16_t(5); });
    const std::string bmp = dir.Path("N40E013.bmp");
    WriteFileBytes(bmp, {'B', 'M'});
    const std::string odd = WriteHgt(dir, "valley.hgt", N, [](int, int) { return int16_t(1); });
    const std::string far = WriteHgt(dir, "N52E010.hgt", N, [](int, int) { return int16_t(1); });

    EXPECT_NE(Refusal({block[0], big}).find("samples a side"), std::string::npos) << Refusal({block[0], big});
    EXPECT_NE(Refusal({block[0], block[0]}).find("same tile"), std::string::npos);
    EXPECT_NE(Refusal({block[0], bmp}).find("grey heightmap"), std::string::npos);
    EXPECT_NE(Refusal({block[0], odd}).find("valley.hgt: is not named like a tile"), std::string::npos);
    // 13 × 13 tiles of 1201 samples, 15601 a side: too many to hold, so read
    // at 1:2 like any large raster, every tile where it lies.
    const TTerrain wide = LoadBlock({block[2], far});
    EXPECT_EQ(wide.Source.ReadAt, 2);
    EXPECT_LE(wide.Heights.Size(), TTileBlock::MaxSamples);
    const auto inFar = wide.GeoRef.GridAt({52.5, 10.5});
    ASSERT_TRUE(inFar);
    EXPECT_EQ(wide.Metres(wide.Heights(int((*inFar)[0]), int((*inFar)[1]))), 1);
    const std::string east = WriteHgt(dir, "N10E179.hgt", N, [](int, int) { return int16_t(1); });
    const std::string west = WriteHgt(dir, "N10W180.hgt", N, [](int, int) { return int16_t(1); });
    const std::string pole = WriteHgt(dir, "N95E010.hgt", N, [](int, int) { return int16_t(1); });
    EXPECT_EQ(Refusal({east, west}), "N10W180 \u2013 N10E179: blocks cannot cross the 180\u00b0 meridian; open the "
                                     "tiles on each side of it apart");
    EXPECT_EQ(Refusal({block[0], pole}), pole + ": is named after a tile outside the world (S90 … N89, W180 … E179)");

    TTerrain kept;
    TerrainSourceFor({block[0]})->LoadInto(kept);
    EXPECT_THROW(TerrainSourceFor({block[0], big})->LoadInto(kept), ETerrainError);
    EXPECT_EQ(kept.GridHigh, Step);
    EXPECT_EQ(kept.GeoRef.Span(), 1);
}

// Lower-case names (n40e010.hgt, as some servers deliver them) are placed
// like upper-case ones, alone and in blocks.
TEST(TileBlock, LowerCaseNamesArePlacedAloneAndInBlocks)
{
    TestDir dir;
    const std::vector<std::string> upper = WriteBlock(dir);
    std::vector<std::string> lower;
    for (const char *name : {"n41e010.hgt", "n40e010.hgt", "n40e011.hgt"}) {
        std::string tile = name;
        std::transform(tile.begin(), tile.begin() + 7, tile.begin(), [](unsigned char ch) { return std::toupper(ch); });
        const std::string path = dir.Path(name);
        WriteFileBytes(path, ReadFileBytes(dir.Path(tile)));
        lower.push_back(path);
    }
    lower.push_back(WriteZippedTile(dir, "n41e011", TileOfLand(0, 1)));
    const TTerrain t = LoadBlock(lower);
    EXPECT_EQ(t.FileName, "N40E010 \u2013 N41E011");
    EXPECT_EQ(t.GridHigh, 2 * Step);
    EXPECT_EQ(t.Heights(2 * Step, 0), Land(2 * Step, 0));
    for (const std::string &single : {lower[2], lower[3]}) {
        TTerrain one;
        TerrainSourceFor({single})->LoadInto(one);
        EXPECT_EQ(one.GeoRef.SouthLat(), single == lower[2] ? 40 : 41) << single;
        EXPECT_EQ(one.GeoRef.WestLon(), 11) << single;
    }
}

// A sheet of a tile collection: one archive holding its tiles in a folder,
// none named like the archive, opens as the block of its tiles.
TEST(TileBlock, ASheetArchiveOpensAsTheBlockOfItsTiles)
{
    TestDir dir;
    const std::string sheet = dir.Path("K32.zip");
    std::vector<std::vector<uint8_t>> tiles = {TileOfLand(0, 0), TileOfLand(1, 0), TileOfLand(1, 1)};
    int error = 0;
    zip_t *zip = zip_open(sheet.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    zip_dir_add(zip, "K32", 0);
    const char *members[] = {"K32/N41E010.hgt", "K32/N40E010.hgt", "K32/N40E011.hgt"};
    for (size_t i = 0; i < tiles.size(); ++i)
        zip_file_add(zip, members[i], zip_source_buffer(zip, tiles[i].data(), tiles[i].size(), 0), 0);
    zip_file_add(zip, "K32/readme.txt", zip_source_buffer(zip, "x", 1, 0), 0);
    ASSERT_EQ(zip_close(zip), 0);

    const TTerrain t = LoadBlock({sheet});
    EXPECT_EQ(t.FileName, "N40E010 \u2013 N41E011");
    EXPECT_TRUE(t.HgtLoaded);
    ASSERT_EQ(t.GridHigh, 2 * Step);
    int wrong = 0;
    for (int r = 0; r <= 2 * Step; ++r)
        for (int c = 0; c <= 2 * Step; ++c)
            wrong += t.Heights(c, r) != (r < Step && c > Step ? -32768 : Land(c, r));
    EXPECT_EQ(wrong, 0);
    // A member that is not what its name claims is named with the archive.
    const std::string broken = dir.Path("K33.zip");
    zip = zip_open(broken.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    zip_file_add(zip, "N41E010.hgt", zip_source_buffer(zip, tiles[0].data(), tiles[0].size(), 0), 0);
    zip_file_add(zip, "N40E010.hgt", zip_source_buffer(zip, tiles[0].data(), 1000, 0), 0);
    ASSERT_EQ(zip_close(zip), 0);
    EXPECT_EQ(Refusal({broken}), broken + ": N40E010.hgt: Wrong Size of hgt File");
}
