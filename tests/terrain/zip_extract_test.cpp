// Reading the tile of a ZIP archive into memory, including archives built to do harm.
#include "Terrain.h"
#include "TerrainError.h"
#include "TerrainSource.h"
#include "TestFiles.h"
#include "ZipExtract.h"

#include <gtest/gtest.h>

#include <zip.h>

#include <algorithm>
#include <filesystem>

#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

struct TMemberSpec {
    std::string name;
    std::vector<uint8_t> bytes;
};

// Builds an archive with libzip; `store` keeps members uncompressed so a test
// can find and damage their bytes.
void MakeZip(const std::string &path, const std::vector<TMemberSpec> &members, bool store = false)
{
    int error = 0;
    zip_t *zip = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    ASSERT_NE(zip, nullptr) << error;
    for (const TMemberSpec &m : members) {
        zip_source_t *src = zip_source_buffer(zip, m.bytes.data(), m.bytes.size(), 0);
        ASSERT_NE(src, nullptr);
        const zip_int64_t index = zip_file_add(zip, m.name.c_str(), src, ZIP_FL_ENC_UTF_8);
        ASSERT_GE(index, 0) << m.name << ": " << zip_strerror(zip);
        if (store)
            zip_set_file_compression(zip, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0);
    }
    ASSERT_EQ(zip_close(zip), 0);
}

// The refusal's text, checked to name the archive; "" when the tile was read.
std::string ReadError(const std::string &archive)
{
    try {
        std::string member;
        ReadTileFromZip(archive, member);
    } catch (const ETerrainError &e) {
        EXPECT_EQ(e.File(), archive);
        return e.what();
    }
    return {};
}

const std::vector<uint8_t> &Tile()
{
    static const std::vector<uint8_t> bytes =
        MakeHgtBytes(1201, [](int c, int r) { return static_cast<int16_t>(c - r); });
    return bytes;
}

}  // namespace

TEST(ZipTiles, TheTileIsTheMemberNamedLikeTheArchiveInAnyCaseElseTheOnlyOne)
{
    TestDir dir;
    std::string member;
    // Named like the archive whatever its case and folder, among others.
    const std::string archive = dir.Path("N47E011.hgt.zip");
    MakeZip(archive, {{"other.hgt", {9}}, {"readme.txt", {1}}, {"../srtm/n47e011.HGT", Tile()}});
    EXPECT_EQ(ReadTileFromZip(archive, member), THgtBytes(Tile().begin(), Tile().end()));
    EXPECT_EQ(member, "n47e011.HGT");
    EXPECT_EQ(TileSizeInZip(archive), Tile().size());
    TTerrain t;
    TerrainSourceFor({archive})->LoadInto(t);
    EXPECT_EQ(t.Heights(1200, 3), 1197);
    EXPECT_EQ(t.GeoRef.SouthLat(), 47);

    // Else the only .hgt member, under whatever name.
    const std::string renamed = dir.Path("renamed.zip");
    MakeZip(renamed, {{"notes.txt", {1}}, {"tile.hgt", Tile()}});
    EXPECT_EQ(ReadTileFromZip(renamed, member).size(), Tile().size());
    EXPECT_EQ(member, "tile.hgt");

    // Several and none named like the archive: no guessing.
    const std::string several = dir.Path("N47E012.hgt.zip");
    MakeZip(several, {{"first.hgt", Tile()}, {"second.hgt", Tile()}});
    EXPECT_EQ(ReadError(several), "the archive holds 2 .hgt files and none named N47E012.hgt");
    // A lone member named after another tile would be drawn in the wrong place.
    const std::string wrong = dir.Path("N47E010.hgt.zip");
    MakeZip(wrong, {{"N12E034.hgt", Tile()}});
    EXPECT_EQ(ReadError(wrong), "the archive holds N12E034.hgt, another tile than N47E010.hgt");
    EXPECT_THROW(TileSizeInZip(wrong), ETerrainError);
}

TEST(ZipTiles, BadArchivesAreRefusedFromTheDirectoryNamingTheArchive)
{
    TestDir dir;
    WriteFileBytes(dir.Path("plain.hgt.zip"), Tile());
    EXPECT_EQ(ReadError(dir.Path("plain.hgt.zip")), "is not a ZIP archive");
    EXPECT_EQ(ReadError(dir.Path("missing.hgt.zip")), "cannot open the file: No such file or directory");
    fs::create_directory(dir.Path("folder.zip"));
    EXPECT_EQ(ReadError(dir.Path("folder.zip")), "is a folder, not a ZIP archive");

    MakeZip(dir.Path("nohgt.zip"), {{"readme.txt", {1}}, {"x.hgt.txt", {2}}, {"folder.hgt/", {}}});
    EXPECT_EQ(ReadError(dir.Path("nohgt.zip")), "the archive holds no .hgt file");
    MakeZip(dir.Path("twins.zip"), {{"a/x.hgt", {1}}, {"b/X.hgt", {2}}});
    EXPECT_EQ(ReadError(dir.Path("twins.zip")), "the archive holds two members named X.hgt");
    // Too big for any tile, even after a good member: judged before anything is decompressed.
    MakeZip(dir.Path("N01E001.hgt.zip"),
            {{"N01E001.hgt", Tile()}, {"N00E000.hgt", std::vector<uint8_t>(TTerrain::HgtSize3601 + 1)}});
    EXPECT_EQ(ReadError(dir.Path("N01E001.hgt.zip")), "Wrong Size of hgt File");

    // One entry too many, and twenty thousand: refused from the directory's
    // count before any entry is looked at.
    std::vector<TMemberSpec> many;
    for (int i = 0; i <= MaxZipEntries; ++i)
        many.push_back({"x" + std::to_string(i) + ".hgt", {}});
    MakeZip(dir.Path("many.zip"), many);
    EXPECT_EQ(ReadError(dir.Path("many.zip")), "the archive holds " + std::to_string(MaxZipEntries + 1) +
                                                   " entries; a tile archive holds at most " +
                                                   std::to_string(MaxZipEntries));
    for (int i = MaxZipEntries + 1; i < 20000; ++i)
        many.push_back({"x" + std::to_string(i) + ".hgt", {}});
    MakeZip(dir.Path("N47E011.hgt.zip"), many);
    EXPECT_EQ(ReadError(dir.Path("N47E011.hgt.zip")),
              "the archive holds 20000 entries; a tile archive holds at most " + std::to_string(MaxZipEntries));
}

TEST(ZipTiles, DataThatFailsItsChecksumIsRefused)
{
    TestDir dir;
    std::vector<uint8_t> bytes = Tile();
    const char marker[] = "DAMAGE-ME";
    std::copy(marker, marker + 9, bytes.begin() + 2000);
    const std::string archive = dir.Path("N10E010.hgt.zip");
    MakeZip(archive, {{"N10E010.hgt", bytes}}, true);

    // Flip a stored byte: the member's checksum no longer holds.
    std::vector<uint8_t> zipped = ReadFileBytes(archive);
    const auto at = std::search(zipped.begin(), zipped.end(), marker, marker + 9);
    ASSERT_NE(at, zipped.end());
    *at ^= 0xFF;
    WriteFileBytes(archive, zipped);
    EXPECT_NE(ReadError(archive).find("the archive is damaged"), std::string::npos) << ReadError(archive);
}
