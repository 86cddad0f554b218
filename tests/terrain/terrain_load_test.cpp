// Reading tiles and bitmaps into the grid, the figures that come with it,
// and what a failed load must leave alone.
#include "Terrain.h"
#include "TerrainError.h"
#include "TerrainSource.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Message of the error a load raises, or "" when it succeeds.
template <typename Load>
std::string LoadError(Load &&load)
{
    try {
        load();
    } catch (const ETerrainError &e) {
        return e.what();
    }
    return {};
}

int16_t Pattern(int col, int row)
{
    return static_cast<int16_t>((col * 7 + row * 13) % 3000 - 200);
}

}  // namespace

TEST(HgtLoading, FileSizeDecidesTheGrid)
{
    TestDir dir;
    TTerrain t;
    t.LoadFromFile(WriteHgt(dir, "N47E011.hgt", 1201, Pattern));
    EXPECT_EQ(t.GridHigh, 1200);
    EXPECT_EQ(t.Heights.Size(), 1201);
    t.LoadFromFile(WriteHgt(dir, "N46E011.hgt", 3601, Pattern));
    EXPECT_EQ(t.GridHigh, 3600);
    EXPECT_EQ(t.Heights.Size(), 3601);
    EXPECT_EQ(t.Heights(3600, 3600), Pattern(3600, 3600));
}

TEST(HgtLoading, BytesAreBigEndianRowsFromTheNorth)
{
    TestDir dir;
    std::vector<uint8_t> bytes = MakeHgtBytes(1201, [](int c, int r) { return static_cast<int16_t>(c == 5 && r == 2 ? -7 : 0); });
    bytes[0] = 0x01;
    bytes[1] = 0x2C;
    bytes[bytes.size() - 2] = 0x12;
    bytes[bytes.size() - 1] = 0x34;
    const std::string path = dir.Path("N00E000.hgt");
    WriteFileBytes(path, bytes);

    TTerrain t;
    t.LoadFromFile(path);
    EXPECT_EQ(t.Heights(0, 0), 300);        // north-west corner
    EXPECT_EQ(t.Heights(1200, 1200), 0x1234);  // south-east corner
    EXPECT_EQ(t.Heights(5, 2), -7);         // column 5 of the third row, not the transpose
    EXPECT_EQ(t.Heights(2, 5), 0);
    EXPECT_EQ(t.MinHeight, -7);
    EXPECT_EQ(t.MaxHeight, 0x1234);
}

TEST(HgtLoading, ExtremesSkipVoids)
{
    TestDir dir;
    TTerrain t;
    // Voids everywhere except a band of -12 … 4400.
    t.LoadFromFile(WriteHgt(dir, "a.hgt", 1201, [](int c, int r) {
        if (r != 600)
            return TSIArray::Void;
        return static_cast<int16_t>(c == 0 ? -12 : c == 1200 ? 4400 : 100);
    }));
    EXPECT_EQ(t.MinHeight, -12);
    EXPECT_EQ(t.MaxHeight, 4400);
    EXPECT_EQ(t.Heights(0, 0), TSIArray::Void);  // voids are stored as read

    // Only voids: the figures keep their "nothing seen" values and sampling
    // puts every point one metre below that.
    t.LoadFromFile(WriteHgt(dir, "b.hgt", 1201, [](int, int) { return TSIArray::Void; }));
    EXPECT_EQ(t.MinHeight, 9999999);
    EXPECT_EQ(t.MaxHeight, -9999999);
    EXPECT_FLOAT_EQ(t.SampleHeight(10, 10), static_cast<float>((9999999 - 1) * 0.006));
}

TEST(HgtLoading, ProgressRisesOncePerRowToTheEnd)
{
    TestDir dir;
    const std::string path = WriteHgt(dir, "a.hgt", 1201, Pattern);
    TTerrain t;
    std::vector<int> seen;
    t.OnProgress = [&](int percent) { seen.push_back(percent); };
    t.LoadFromFile(path);
    ASSERT_EQ(seen.size(), 1u + 1201u);
    EXPECT_EQ(seen.front(), 0);
    EXPECT_EQ(seen.back(), 100);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
}

TEST(HgtLoading, ExtensionChoosesTheReaderWhateverItsCase)
{
    TestDir dir;
    TTerrain t;
    const std::string upper = WriteHgt(dir, "N47E011.HGT", 1201, Pattern);
    t.LoadFromFile(upper);
    EXPECT_TRUE(t.HgtLoaded);
    EXPECT_EQ(t.FileName, upper);
    EXPECT_EQ(t.GridHigh, 1200);

    QImage grey(4, 4, QImage::Format_RGB32);
    grey.fill(qRgb(10, 10, 10));
    ASSERT_TRUE(grey.save(QString::fromStdString(dir.Path("map.BMP")), "BMP"));
    t.LoadFromFile(dir.Path("map.BMP"));
    EXPECT_FALSE(t.HgtLoaded);
    EXPECT_EQ(t.GridHigh, 3);

    // Any other extension is no error: the terrain is emptied.
    t.TextureBuilt = true;
    t.LoadFromFile(dir.Path("notes.txt"));
    EXPECT_TRUE(t.Empty());
    EXPECT_EQ(t.GridHigh, -1);
    EXPECT_FALSE(t.TextureBuilt);
    EXPECT_FALSE(t.HgtLoaded);
    EXPECT_EQ(t.SampleHeight(0, 0), static_cast<float>((t.MinHeight - 1) * 0.006));
}

TEST(BadHeightFiles, AreRefusedNamingTheFile)
{
    TestDir dir;
    const std::vector<uint8_t> good = MakeHgtBytes(1201, Pattern);
    struct Case {
        std::string name;
        std::vector<uint8_t> bytes;
    };
    std::vector<Case> cases = {{"short.hgt", {good.begin(), good.end() - 1}},
                               {"long.hgt", good},
                               {"empty.hgt", {}}};
    cases[1].bytes.push_back(0);
    for (const Case &c : cases) {
        const std::string path = dir.Path(c.name);
        WriteFileBytes(path, c.bytes);
        TTerrain t;
        try {
            t.LoadFromFile(path);
            ADD_FAILURE() << c.name << " was accepted";
        } catch (const ETerrainError &e) {
            EXPECT_STREQ(e.what(), "Wrong Size of hgt File") << c.name;
            EXPECT_EQ(e.File(), path);
        }
    }

    std::filesystem::create_directory(dir.Path("folder.hgt"));
    EXPECT_NE(LoadError([&] { TTerrain().LoadFromFile(dir.Path("folder.hgt")); }).find("folder"), std::string::npos);
    EXPECT_NE(LoadError([&] { TTerrain().LoadFromFile(dir.Path("missing.hgt")); }).find("No such file"),
              std::string::npos);
    EXPECT_NE(LoadError([&] { TTerrain().LoadFromFile(dir.Path("missing.bmp")); }).find("No such file"),
              std::string::npos);
    // A file that cannot be opened at all (root may read anything, but not this).
    std::filesystem::create_symlink("loop.hgt", dir.Path("loop.hgt"));
    EXPECT_NE(LoadError([&] { TTerrain().LoadFromFile(dir.Path("loop.hgt")); }).find("cannot open"),
              std::string::npos);
}

// Opening a FIFO for reading waits for a writer: a load that opened one would never return.
TEST(BadHeightFiles, ThatAreNoRegularFilesAreRefusedBeforeTheyAreOpened)
{
    TestDir dir;
    const std::string good = WriteHgt(dir, "N47E010.hgt", 1201, Pattern);
    for (const char *name : {"N47E011.hgt", "N47E011.hgt.zip", "heights.bmp"}) {
        const std::string fifo = dir.Path(name);
        ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
        EXPECT_EQ(LoadError([&] { TTerrain t; TerrainSourceFor({fifo})->LoadInto(t); }),
                  "is not a regular file but a FIFO")
            << name;
        // Among the tiles of a block, too.
        if (std::string(name).starts_with("N47")) {
            EXPECT_EQ(LoadError([&] { TTerrain t; TerrainSourceFor({good, fifo})->LoadInto(t); }),
                      "is not a regular file but a FIFO")
                << name;
        }
    }
    std::filesystem::create_symlink("/dev/null", dir.Path("N48E010.hgt"));
    EXPECT_EQ(LoadError([&] { TTerrain().LoadFromFile(dir.Path("N48E010.hgt")); }), "is not a regular file but a device");
}

TEST(BadHeightFiles, WithoutReadPermissionAreRefused)
{
    TestDir dir;
    const std::string path = WriteHgt(dir, "locked.hgt", 1201, Pattern);
    std::filesystem::permissions(path, std::filesystem::perms::none);
    auto refused = [&] { return LoadError([&] { TTerrain().LoadFromFile(path); }).find("Permission denied") != std::string::npos; };
    if (geteuid() != 0) {
        EXPECT_TRUE(refused());
        return;
    }
    // Root reads files whatever their mode, so the load runs in a child that
    // has become "nobody"; the folder is opened up so only the file's own
    // mode stands in the way.
    std::filesystem::permissions(dir.Root(), std::filesystem::perms::owner_all | std::filesystem::perms::others_exec);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const bool dropped = setgid(65534) == 0 && setuid(65534) == 0;
        _exit(!dropped ? 2 : refused() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 2)
        GTEST_SKIP() << "cannot drop root privileges here";
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

namespace {

std::string WriteBmpBytes(const TestDir &dir, const std::string &name, const std::vector<uint8_t> &bytes)
{
    const std::string path = dir.Path(name);
    WriteFileBytes(path, bytes);
    return path;
}

// A BITMAPFILEHEADER + BITMAPINFOHEADER for a 32-bit bitmap, without pixels.
std::vector<uint8_t> BmpHeader(int32_t width, int32_t height)
{
    std::vector<uint8_t> h;
    auto put = [&h](uint32_t v, int n) {
        for (int i = 0; i < n; ++i)
            h.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    const uint32_t image = static_cast<uint32_t>(width) * static_cast<uint32_t>(height) * 4;
    h = {'B', 'M'};
    put(54 + image, 4);
    put(0, 4);
    put(54, 4);
    put(40, 4);
    put(static_cast<uint32_t>(width), 4);
    put(static_cast<uint32_t>(height), 4);
    put(1, 2);
    put(32, 2);
    put(0, 4);
    put(image, 4);
    for (int field = 0; field < 4; ++field)
        put(0, 4);
    return h;
}

// A 24-bit bitmap of grey(x, y) with y = 0 the top row; a negative height
// stores the rows from the top down, as image editors often write them.
std::string WriteGreyBmp24(const TestDir &dir, const std::string &name, int32_t width, int32_t height,
                           const std::function<uint8_t(int x, int y)> &grey)
{
    const int rows = std::abs(height);
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) / 4 * 4;
    std::vector<uint8_t> bytes = BmpHeader(width, height);
    bytes[28] = 24;
    const uint32_t fileSize = static_cast<uint32_t>(54 + stride * static_cast<size_t>(rows));
    for (int i = 0; i < 4; ++i)
        bytes[2 + i] = static_cast<uint8_t>(fileSize >> (8 * i));
    bytes.resize(fileSize);
    for (int stored = 0; stored < rows; ++stored) {
        const int y = height < 0 ? stored : rows - 1 - stored;
        uint8_t *line = bytes.data() + 54 + stride * static_cast<size_t>(stored);
        for (int x = 0; x < width; ++x)
            std::fill_n(line + 3 * x, 3, grey(x, y));
    }
    return WriteBmpBytes(dir, name, bytes);
}

}  // namespace

TEST(FailedLoads, KeepThePreviousGridFiguresAndTexture)
{
    TestDir dir;
    const std::string good = WriteHgt(dir, "N47E011.hgt", 1201, Pattern);
    std::vector<std::string> bad;
    bad.push_back(dir.Path("missing.hgt"));
    WriteFileBytes(dir.Path("short.hgt"), std::vector<uint8_t>(100));
    bad.push_back(dir.Path("short.hgt"));
    std::filesystem::create_directory(dir.Path("folder.bmp"));
    bad.push_back(dir.Path("folder.bmp"));
    std::vector<uint8_t> truncated = BmpHeader(64, 64);
    truncated.resize(truncated.size() + 100);
    bad.push_back(WriteBmpBytes(dir, "truncated.bmp", truncated));
    bad.push_back(WriteBmpBytes(dir, "wide.bmp", BmpHeader(100000, 2)));
    bad.push_back(WriteBmpBytes(dir, "garbage.bmp", std::vector<uint8_t>(500, 0x5A)));

    for (const std::string &path : bad) {
        TTerrain t;
        t.LoadFromFile(good);
        t.TextureBitmap = QImage(8, 8, QImage::Format_RGB32);
        t.TextureBitmap.fill(Qt::green);
        t.TextureBuilt = true;
        EXPECT_NE(LoadError([&] { t.LoadFromFile(path); }), "") << path;
        EXPECT_EQ(t.GridHigh, 1200) << path;
        EXPECT_EQ(t.Heights.Size(), 1201) << path;
        EXPECT_EQ(t.Heights(1200, 17), Pattern(1200, 17)) << path;
        EXPECT_EQ(t.MinHeight, -200) << path;
        EXPECT_EQ(t.MaxHeight, 2799) << path;
        EXPECT_EQ(t.FileName, good) << path;
        EXPECT_TRUE(t.HgtLoaded) << path;
        EXPECT_TRUE(t.TextureBuilt) << path;
        EXPECT_EQ(t.TextureBitmap.pixel(3, 3), QColor(Qt::green).rgb()) << path;
    }
}

TEST(Sampling, TruncatesOnTheGridAndSinksVoidsAndOutsidePoints)
{
    TestDir dir;
    TTerrain t;
    t.LoadFromFile(WriteHgt(dir, "a.hgt", 1201, [](int c, int r) {
        if (c == 7 && r == 7)
            return TSIArray::Void;
        return static_cast<int16_t>(c == 1200 && r == 1200 ? 2000 : c * 2 + r + 100);
    }));
    ASSERT_EQ(t.MinHeight, 100);
    const float below = static_cast<float>(99 * 0.006);
    EXPECT_FLOAT_EQ(t.SampleHeight(1200, 1200), static_cast<float>(2000 * 0.006));
    EXPECT_FLOAT_EQ(t.SampleHeight(1200.001f, 0), below);
    EXPECT_FLOAT_EQ(t.SampleHeight(0, 1200.001f), below);
    EXPECT_FLOAT_EQ(t.SampleHeight(0.999f, 0), static_cast<float>(100 * 0.006));  // still column 0
    EXPECT_FLOAT_EQ(t.SampleHeight(3.7f, 2.2f), static_cast<float>((6 + 2 + 100) * 0.006));
    EXPECT_FLOAT_EQ(t.SampleHeight(-0.001f, 5), below);
    EXPECT_FLOAT_EQ(t.SampleHeight(7.5f, 7.5f), below);  // the void
    EXPECT_FLOAT_EQ(t.SampleHeight(std::nanf(""), 3), below);
}

TEST(Sampling, WorldToGridMapsTheSquareOntoTheGrid)
{
    TestDir dir;
    TTerrain t;
    t.LoadFromFile(WriteHgt(dir, "a.hgt", 1201, Pattern));
    t.WorldSize = 1000;
    float west[3] = {-500, 42, -500};
    t.WorldToGrid(west);
    EXPECT_FLOAT_EQ(west[0], 0);
    EXPECT_FLOAT_EQ(west[1], 42);  // height untouched
    EXPECT_FLOAT_EQ(west[2], 0);
    float p[3] = {250, 0, 500};
    t.WorldToGrid(p);
    EXPECT_FLOAT_EQ(p[0], 900);
    EXPECT_FLOAT_EQ(p[2], 1200);
}

TEST(Bitmaps, WidthMakesASquareGridOfFourMetreGreyLevels)
{
    TestDir dir;
    QImage image(256, 200, QImage::Format_RGB32);
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 256; ++x)
            image.setPixel(x, y, qRgb(x, x, x));
    image.setPixel(10, 20, qRgb(0, 0, 255));  // colour 65536·255: just below the top grey
    image.setPixel(11, 20, qRgb(255, 0, 0));  // colour 255: far below one grey level
    ASSERT_TRUE(image.save(QString::fromStdString(dir.Path("map.bmp")), "BMP"));

    TTerrain t;
    t.LoadFromFile(dir.Path("map.bmp"));
    ASSERT_EQ(t.GridHigh, 255);
    ASSERT_EQ(t.Heights.Size(), 256);
    EXPECT_EQ(t.Heights(0, 0), 0);
    EXPECT_EQ(t.Heights(100, 0), 400);
    EXPECT_EQ(t.Heights(255, 199), 1020);
    EXPECT_EQ(t.Heights(10, 20), 4 * 254);
    EXPECT_EQ(t.Heights(11, 20), 0);
    for (int y = 200; y < 256; ++y)
        for (int x = 0; x < 256; x += 15)
            ASSERT_EQ(t.Heights(x, y), 0) << x << "," << y;
    EXPECT_EQ(t.MinHeight, 0);
    EXPECT_EQ(t.MaxHeight, 1020);
}

TEST(Bitmaps, AreReadAtEveryBitDepth)
{
    TestDir dir;
    QImage grey(8, 8, QImage::Format_Grayscale8);
    grey.fill(50);
    QImage indexed = grey.convertToFormat(QImage::Format_Indexed8);
    QImage rgb16 = grey.convertToFormat(QImage::Format_RGB16);
    QImage mono = grey.convertToFormat(QImage::Format_Mono);
    mono.fill(1);  // index 1 of a mono image: white in Qt's default table
    mono.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    struct Case {
        const char *name;
        QImage image;
        int height;
    } cases[] = {{"grey8.bmp", indexed, 200}, {"rgb16.bmp", rgb16, -1}, {"mono.bmp", mono, 1020}};
    for (const Case &c : cases) {
        ASSERT_TRUE(c.image.save(QString::fromStdString(dir.Path(c.name)), "BMP")) << c.name;
        TTerrain t;
        t.LoadFromFile(dir.Path(c.name));
        EXPECT_EQ(t.GridHigh, 7) << c.name;
        // 16-bit pixels keep only 5 or 6 bits a channel: 50 comes back near, not at, 4·50.
        if (c.height < 0)
            EXPECT_NEAR(t.Heights(3, 3), 200, 16) << c.name;
        else
            EXPECT_EQ(t.Heights(3, 3), c.height) << c.name;
    }
}

TEST(Bitmaps, TopDownAndLargeBitmapsLoad)
{
    TestDir dir;
    TTerrain t;
    t.LoadFromFile(WriteGreyBmp24(dir, "topdown.bmp", 4, -3, [](int, int y) { return uint8_t(10 * (y + 1)); }));
    ASSERT_EQ(t.GridHigh, 3);
    EXPECT_EQ(t.Heights(2, 0), 40);  // the first stored row is the top one
    EXPECT_EQ(t.Heights(2, 2), 120);
    EXPECT_EQ(t.Heights(2, 3), 0);

    // Beyond Qt's own limit of 128 MB a decoded picture (5792² pixels).
    constexpr int side = 6000;
    t.LoadFromFile(WriteGreyBmp24(dir, "large.bmp", side, side, [](int x, int y) { return uint8_t(x == y ? 200 : 1); }));
    ASSERT_EQ(t.GridHigh, side - 1);
    EXPECT_EQ(t.Heights(0, 0), 800);
    EXPECT_EQ(t.Heights(5999, 5999), 800);
    EXPECT_EQ(t.Heights(5999, 0), 4);
}

TEST(Bitmaps, OverWideOrBrokenFilesAreRefusedBeforeDecoding)
{
    TestDir dir;
    const std::string wide = LoadError([&] { TTerrain().LoadFromFile(WriteBmpBytes(dir, "w.bmp", BmpHeader(100000, 1))); });
    EXPECT_NE(wide.find("the bitmap is 100000 × 1 pixels; heightmaps up to 16384 pixels a side can be loaded"),
              std::string::npos)
        << wide;
    const std::string tall = LoadError([&] { TTerrain().LoadFromFile(WriteBmpBytes(dir, "t.bmp", BmpHeader(2, -16385))); });
    EXPECT_NE(tall.find("2 × 16385 pixels"), std::string::npos) << tall;

    std::vector<uint8_t> truncated = BmpHeader(64, 64);
    truncated.resize(truncated.size() + 64 * 10 * 4);
    EXPECT_NE(LoadError([&] { TTerrain().LoadFromFile(WriteBmpBytes(dir, "t.bmp", truncated)); }), "");
    EXPECT_NE(LoadError([&] { TTerrain().LoadFromFile(WriteBmpBytes(dir, "e.bmp", {})); }), "");
}

TEST(Heightmaps, AreWrittenAs32BitGreyBitmapsAndReadBack)
{
    TestDir dir;
    TTerrain t;
    EXPECT_FALSE(t.SaveHeightmap(dir.Path("nothing.bmp")));  // nothing loaded
    EXPECT_FALSE(std::filesystem::exists(dir.Path("nothing.bmp")));

    // Heights 0 … 1023 in the top rows, then values beyond the grey levels.
    t.LoadFromFile(WriteHgt(dir, "a.hgt", 1201, [](int c, int r) {
        if (r == 0)
            return static_cast<int16_t>(c < 1024 ? c : 0);
        if (r == 1)
            return static_cast<int16_t>(c == 0 ? 1024 : c == 1 ? 1031 : c == 2 ? -4 : c == 3 ? -5 : 0);
        return static_cast<int16_t>(r == 1200 && c == 1 ? 8 : 0);
    }));
    const std::string out = dir.Path("hm.bmp");
    ASSERT_TRUE(t.SaveHeightmap(out));

    const std::vector<uint8_t> bytes = ReadFileBytes(out);
    ASSERT_EQ(bytes.size(), 54u + 1201u * 1201u * 4u);
    auto u32 = [&](size_t at) { return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | uint32_t(bytes[at + 3]) << 24; };
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[1], 'M');
    EXPECT_EQ(u32(2), bytes.size());
    EXPECT_EQ(u32(18), 1201u);                 // width
    EXPECT_EQ(u32(22), 1201u);                 // height, positive: bottom-up
    EXPECT_EQ(bytes[28] | bytes[29] << 8, 32);  // bits per pixel
    EXPECT_EQ(u32(30), 0u);                    // uncompressed
    // The first stored row is the southern edge; pixel 1 there is 8 m → grey 2.
    const size_t south1 = 54 + 4;
    EXPECT_EQ(bytes[south1], 2);
    EXPECT_EQ(bytes[south1 + 1], 2);
    EXPECT_EQ(bytes[south1 + 2], 2);
    EXPECT_EQ(bytes[south1 + 3], 0);

    TTerrain back;
    back.LoadFromFile(out);
    ASSERT_EQ(back.GridHigh, 1200);
    for (int c = 0; c < 1024; ++c)
        ASSERT_EQ(back.Heights(c, 0), c / 4 * 4) << c;  // the next lower multiple of 4
    // Outside them the grey saturates: a coast with deep and high ground
    // comes back dark and bright, not wrapped into nonsense.
    EXPECT_EQ(back.Heights(0, 1), 1020);  // 1024 m
    EXPECT_EQ(back.Heights(1, 1), 1020);  // 1031 m
    EXPECT_EQ(back.Heights(2, 1), 0);     // -4 m
    EXPECT_EQ(back.Heights(3, 1), 0);     // -5 m
    EXPECT_EQ(back.Heights(1, 1200), 8);

    EXPECT_FALSE(t.SaveHeightmap(dir.Path("no/such/folder/hm.bmp")));
}
