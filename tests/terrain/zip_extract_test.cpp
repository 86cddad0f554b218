// Taking tiles out of ZIP archives, including archives built to do harm.
#include "Terrain.h"
#include "TerrainError.h"
#include "TestFiles.h"
#include "ZipExtract.h"

#include <gtest/gtest.h>

#include <zip.h>

#include <algorithm>
#include <filesystem>

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

std::vector<std::string> FilesIn(const std::string &folder)
{
    std::vector<std::string> names;
    for (const auto &entry : fs::recursive_directory_iterator(folder))
        names.push_back(fs::relative(entry.path(), folder).string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string ExtractError(const std::string &archive, const std::string &folder)
{
    try {
        ExtractHgtEntries(archive, folder);
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

TEST(ZipTiles, ExtractTheHgtMembersUnderTheirBareNames)
{
    TestDir dir;
    const std::string archive = dir.Path("N47E011.hgt.zip");
    MakeZip(archive, {{"readme.txt", {'h', 'i'}},
                      {"N47E011.hgt", Tile()},
                      {"../../x.hgt", {1, 2}},
                      {"/etc/abs.HGT", {3, 4}},
                      {"deep/er/y.hgt", {5, 6}},
                      {"folder.hgt/", {}}});
    fs::create_directory(dir.Path("out"));
    const std::vector<std::string> paths = ExtractHgtEntries(archive, dir.Path("out"));

    ASSERT_EQ(paths.size(), 4u);
    EXPECT_EQ(paths[0], dir.Path("out/N47E011.hgt"));
    EXPECT_EQ(paths[1], dir.Path("out/x.hgt"));
    EXPECT_EQ(FilesIn(dir.Root()), (std::vector<std::string>{"N47E011.hgt.zip", "out", "out/N47E011.hgt",
                                                             "out/abs.HGT", "out/x.hgt", "out/y.hgt"}));
    // "../../x.hgt" taken literally would land beside the test folder.
    EXPECT_FALSE(fs::exists(fs::path(dir.Root()).parent_path() / "x.hgt"));
    EXPECT_EQ(ReadFileBytes(paths[0]), Tile());
    EXPECT_EQ(ReadFileBytes(dir.Path("out/x.hgt")), (std::vector<uint8_t>{1, 2}));

    // The extracted tile loads like any other.
    TTerrain t;
    t.LoadFromFile(paths[0]);
    EXPECT_EQ(t.Heights(1200, 3), 1197);
}

TEST(ZipTiles, TileOfAnArchiveIsTheMemberNamedLikeIt)
{
    TestDir dir;
    const std::string archive = dir.Path("N47E011.hgt.zip");
    MakeZip(archive, {{"other.hgt", {9}}, {"srtm/n47e011.HGT", Tile()}});
    const std::string tile = ExtractTileFromZip(archive, dir.Root());
    EXPECT_EQ(tile, dir.Path("n47e011.HGT"));
    EXPECT_EQ(ReadFileBytes(tile), Tile());
    EXPECT_FALSE(fs::exists(dir.Path("other.hgt")));  // only the tile is written

    // Without such a member the first .hgt member is the tile.
    const std::string renamed = dir.Path("renamed.zip");
    MakeZip(renamed, {{"notes.txt", {1}}, {"first.hgt", {7}}, {"second.hgt", {8}}});
    EXPECT_EQ(ExtractTileFromZip(renamed, dir.Root()), dir.Path("first.hgt"));
}

TEST(ZipTiles, BadArchivesAreRefusedAndLeaveNothingBehind)
{
    TestDir dir;
    fs::create_directory(dir.Path("out"));
    const std::string out = dir.Path("out");

    WriteFileBytes(dir.Path("plain.hgt.zip"), Tile());
    EXPECT_EQ(ExtractError(dir.Path("plain.hgt.zip"), out), "is not a ZIP archive");
    EXPECT_NE(ExtractError(dir.Path("missing.hgt.zip"), out), "");
    fs::create_directory(dir.Path("folder.zip"));
    EXPECT_NE(ExtractError(dir.Path("folder.zip"), out).find("folder"), std::string::npos);

    MakeZip(dir.Path("nohgt.zip"), {{"readme.txt", {1}}, {"x.hgt.txt", {2}}});
    EXPECT_EQ(ExtractError(dir.Path("nohgt.zip"), out), "the archive holds no .hgt file");

    MakeZip(dir.Path("twins.zip"), {{"a/x.hgt", {1}}, {"b/X.hgt", {2}}});
    EXPECT_NE(ExtractError(dir.Path("twins.zip"), out).find("two members named"), std::string::npos);

    // Too big for any tile: refused from the directory, before a byte is written,
    // even though a good member comes first.
    MakeZip(dir.Path("big.zip"),
            {{"N01E001.hgt", Tile()}, {"N00E000.hgt", std::vector<uint8_t>(TTerrain::HgtSize3601 + 1)}});
    EXPECT_EQ(ExtractError(dir.Path("big.zip"), out), "Wrong Size of hgt File");

    EXPECT_EQ(FilesIn(out), std::vector<std::string>{});
}

TEST(ZipTiles, DamagedMemberUndoesTheWholeExtraction)
{
    TestDir dir;
    std::vector<uint8_t> second(5000, 0);
    const char marker[] = "DAMAGE-ME";
    std::copy(marker, marker + 9, second.begin() + 2000);
    const std::string archive = dir.Path("damaged.zip");
    MakeZip(archive, {{"a.hgt", Tile()}, {"b.hgt", second}}, true);

    // Flip a stored byte of the second member: its checksum no longer holds.
    std::vector<uint8_t> bytes = ReadFileBytes(archive);
    const auto at = std::search(bytes.begin(), bytes.end(), marker, marker + 9);
    ASSERT_NE(at, bytes.end());
    *at ^= 0xFF;
    WriteFileBytes(archive, bytes);

    fs::create_directory(dir.Path("out"));
    EXPECT_NE(ExtractError(archive, dir.Path("out")).find("damaged"), std::string::npos);
    EXPECT_EQ(FilesIn(dir.Path("out")), std::vector<std::string>{});
}
