// orolith-cli texture: the viewer's terrain texture written to a picture file.
#include "RunCli.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <QImage>

#include <filesystem>

namespace {

TCliRun RunTexture(const QStringList &args)
{
    return RunCli(QStringList{"texture"} + args);
}

QString Q(const std::string &s)
{
    return QString::fromStdString(s);
}

// Every pixel of the picture at `path` is (r, g, b).
void ExpectUniform(const std::string &path, int side, int r, int g, int b)
{
    const QImage image(Q(path));
    ASSERT_EQ(image.size(), QSize(side, side)) << path;
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            ASSERT_EQ(image.pixel(x, y) & 0xFFFFFF, qRgb(r, g, b) & 0xFFFFFF) << path << " at " << x << "," << y;
}

TEST(CliTexture, WritesTheShadedRampColoursAtTheChosenResolution)
{
    TestDir dir;
    const std::string tile = WriteHgt(dir, "N47E008.hgt", 1201, [](int, int) { return int16_t(100); });
    const std::string out = dir.Path("t.bmp");
    ASSERT_EQ(RunTexture({Q(tile), Q(out), "--resolution", "96"}).code, 0);
    ExpectUniform(out, 96, 173, 212, 126);

    ASSERT_EQ(RunTexture({Q(tile), Q(out), "--resolution", "40", "--no-shading"}).code, 0);
    ExpectUniform(out, 40, 181, 222, 132);

    ASSERT_EQ(RunTexture({Q(tile), Q(out), "--resolution", "40", "--sea-level", "95", "--gradient"}).code, 0);
    ExpectUniform(out, 40, 3, 46, 63);  // 5 m above the sea, blended
}

TEST(CliTexture, WritesJpegAndTargaByTheExtension)
{
    TestDir dir;
    const std::string tile = WriteHgt(dir, "N47E008.hgt", 1201, [](int col, int row) { return int16_t(col + row); });
    ASSERT_EQ(RunTexture({Q(tile), Q(dir.Path("t.JPG")), "--resolution", "64"}).code, 0);
    const std::vector<uint8_t> jpeg = ReadFileBytes(dir.Path("t.JPG"));
    ASSERT_GT(jpeg.size(), 2u);
    EXPECT_EQ(jpeg[0], 0xFF);
    EXPECT_EQ(jpeg[1], 0xD8);
    EXPECT_EQ(QImage(Q(dir.Path("t.JPG"))).size(), QSize(64, 64));

    ASSERT_EQ(RunTexture({Q(tile), Q(dir.Path("t.tga")), "--resolution", "64"}).code, 0);
    EXPECT_EQ(ReadFileBytes(dir.Path("t.tga")).size(), 18u + 64u * 64u * 4u);
}

TEST(CliTexture, RefusesBadArgumentsWithoutWritingAnything)
{
    TestDir dir;
    const std::string tile = WriteHgt(dir, "N47E008.hgt", 1201, [](int, int) { return int16_t(7); });
    const struct {
        QStringList args;
        std::string message;
    } cases[] = {
        {{Q(tile), Q(dir.Path("t.png"))}, "t.png: unknown picture type"},
        {{Q(tile), Q(dir.Path("t.bmp")), "--resolution", "0"}, "--resolution must be a whole number from 1 to 8192, not '0'"},
        {{Q(tile), Q(dir.Path("t.bmp")), "--resolution", "12x"}, "not '12x'"},
        {{Q(tile), Q(dir.Path("t.bmp")), "--sea-level", "40000"}, "--sea-level must be a whole number from -32768"},
        {{Q(dir.Path("missing.hgt")), Q(dir.Path("t.bmp"))}, "missing.hgt"},
        {{Q(tile), Q(dir.Path("t.bmp")), "--shading"}, "unknown option --shading"},
        {{Q(tile)}, "usage: texture FILE"},
    };
    for (const auto &c : cases) {
        const TCliRun run = RunTexture(c.args);
        EXPECT_EQ(run.code, 1) << c.message;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.Path("t.bmp")));
    EXPECT_FALSE(std::filesystem::exists(dir.Path("t.png")));

    const TCliRun unwritable = RunTexture({Q(tile), Q(dir.Path("no/such/folder/t.bmp"))});
    EXPECT_EQ(unwritable.code, 1);
    EXPECT_NE(unwritable.err.find("cannot write the texture"), std::string::npos) << unwritable.err;
}

} // namespace
