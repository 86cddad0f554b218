// The BMP, TGA and JPEG files TGLBMP writes, and how saving fails.
#include "GLBMP.h"
#include "SamplePictures.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// Buffer pixel k again, in the files' B, G, R, A order.
std::vector<uint8_t> NumberedBgra(int count)
{
    std::vector<uint8_t> bytes;
    for (int k = 0; k < count; ++k)
        for (int c : {3, 2, 1, 4})
            bytes.push_back(uint8_t(16 * k + c));
    return bytes;
}

std::vector<uint8_t> Concat(std::vector<uint8_t> a, const std::vector<uint8_t> &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

bool Exists(const std::string &path)
{
    return QFile::exists(QString::fromStdString(path));
}

QStringList FolderEntries(const TestDir &dir)
{
    return QDir(QString::fromStdString(dir.Root())).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
}

void ExpectNear(QRgb actual, uint32_t expected, int tolerance, const char *where)
{
    EXPECT_NEAR(qRed(actual), int(expected >> 16 & 0xFF), tolerance) << where;
    EXPECT_NEAR(qGreen(actual), int(expected >> 8 & 0xFF), tolerance) << where;
    EXPECT_NEAR(qBlue(actual), int(expected & 0xFF), tolerance) << where;
}

constexpr uint32_t Red = 0xFF0000, Green = 0x00FF00, Blue = 0x0000FF, Yellow = 0xFFFF00;

} // namespace

TEST(ImageFiles, BmpOfThreeByTwoHasTheDocumentedHeaderAndBottomRowFirst)
{
    TestDir dir;
    TGLBMP image;
    FillNumbered(image, 3, 2);
    ASSERT_TRUE(image.SaveBMP(dir.Path("a.bmp")));

    const std::vector<uint8_t> header = {
        'B', 'M', 78, 0, 0, 0,  0, 0, 0, 0,  54, 0, 0, 0,   // file header
        40, 0, 0, 0,  3, 0, 0, 0,  2, 0, 0, 0,  1, 0,  32, 0,  0, 0, 0, 0,  24, 0, 0, 0,
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(ReadFileBytes(dir.Path("a.bmp")), Concat(header, NumberedBgra(6)));
}

TEST(ImageFiles, TgaOfThreeByTwoHasTheDocumentedHeaderAndNoFooter)
{
    TestDir dir;
    TGLBMP image;
    FillNumbered(image, 3, 2);
    ASSERT_TRUE(image.SaveTGA(dir.Path("a.tga")));

    const std::vector<uint8_t> header = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3, 0, 2, 0, 32, 0};
    EXPECT_EQ(ReadFileBytes(dir.Path("a.tga")), Concat(header, NumberedBgra(6)));
}

TEST(ImageFiles, SidesAboveOneByteAreWrittenLowByteFirst)
{
    TestDir dir;
    TGLBMP image;
    image.SetSize(300, 258);
    std::fill(image.Pixels(), image.Pixels() + image.ByteCount(), uint8_t(7));
    ASSERT_TRUE(image.SaveTGA(dir.Path("a.tga")));
    ASSERT_TRUE(image.SaveBMP(dir.Path("a.bmp")));

    const auto tga = ReadFileBytes(dir.Path("a.tga"));
    ASSERT_EQ(tga.size(), 18u + 300 * 258 * 4);
    EXPECT_EQ(std::vector<uint8_t>(tga.begin() + 12, tga.begin() + 16), (std::vector<uint8_t>{0x2C, 1, 2, 1}));
    const auto bmp = ReadFileBytes(dir.Path("a.bmp"));
    ASSERT_EQ(bmp.size(), 54u + 300 * 258 * 4);
    // 300 × 258 × 4 + 54 = 309654 = 0x0004B996
    EXPECT_EQ(std::vector<uint8_t>(bmp.begin() + 2, bmp.begin() + 6), (std::vector<uint8_t>{0x96, 0xB9, 4, 0}));
    EXPECT_EQ(std::vector<uint8_t>(bmp.begin() + 18, bmp.begin() + 26), (std::vector<uint8_t>{0x2C, 1, 0, 0, 2, 1, 0, 0}));
}

TEST(ImageFiles, ViewersShowBmpAndJpegUpright)
{
    TestDir dir;
    TGLBMP image;
    FillQuadrants(image, 32, 16, Red, Green, Blue, Yellow, 255);
    ASSERT_TRUE(image.SaveBMP(dir.Path("a.bmp")));
    ASSERT_TRUE(image.SaveJPG(dir.Path("a.jpg")));

    const QImage bmp(QString::fromStdString(dir.Path("a.bmp")));
    ASSERT_EQ(bmp.size(), QSize(32, 16));
    ExpectNear(bmp.pixel(0, 0), Red, 0, "bmp top left");
    ExpectNear(bmp.pixel(31, 0), Green, 0, "bmp top right");
    ExpectNear(bmp.pixel(0, 15), Blue, 0, "bmp bottom left");
    ExpectNear(bmp.pixel(31, 15), Yellow, 0, "bmp bottom right");

    const QImage jpg(QString::fromStdString(dir.Path("a.jpg")), "JPEG");
    ASSERT_EQ(jpg.size(), QSize(32, 16));
    ExpectNear(jpg.pixel(4, 3), Red, 24, "jpeg top left");
    ExpectNear(jpg.pixel(27, 3), Green, 24, "jpeg top right");
    ExpectNear(jpg.pixel(4, 12), Blue, 24, "jpeg bottom left");
    ExpectNear(jpg.pixel(27, 12), Yellow, 24, "jpeg bottom right");
}

TEST(ImageFiles, JpegIgnoresAlphaAndFollowsTheQuality)
{
    TestDir dir;
    TGLBMP image;
    // A transparent screenshot background must not turn black or vanish.
    FillQuadrants(image, 16, 16, Red, Red, Red, Red, 0);
    ASSERT_TRUE(image.SaveJPG(dir.Path("clear.jpg")));
    ExpectNear(QImage(QString::fromStdString(dir.Path("clear.jpg"))).pixel(8, 8), Red, 24, "alpha 0");

    // Noise compresses very differently at low and high quality.
    image.SetSize(128, 128);
    uint32_t state = 12345;
    for (size_t i = 0; i < image.ByteCount(); ++i) {
        state = state * 1103515245u + 12345u;
        image.Pixels()[i] = uint8_t(state >> 16);
    }
    image.JpegQuality = 10;
    ASSERT_TRUE(image.SaveJPG(dir.Path("low.jpg")));
    image.JpegQuality = 95;
    ASSERT_TRUE(image.SaveJPG(dir.Path("high.jpg")));
    EXPECT_LT(ReadFileBytes(dir.Path("low.jpg")).size() * 2, ReadFileBytes(dir.Path("high.jpg")).size());
}

TEST(ImageFiles, ExtensionChoosesTheWriterWithoutRegardToCase)
{
    TestDir dir;
    TGLBMP image;
    FillNumbered(image, 3, 2);

    ASSERT_TRUE(image.SaveToFile(dir.Path("shot.JPG")));
    const auto jpg = ReadFileBytes(dir.Path("shot.JPG"));
    ASSERT_GE(jpg.size(), 3u);
    EXPECT_EQ(std::vector<uint8_t>(jpg.begin(), jpg.begin() + 3), (std::vector<uint8_t>{0xFF, 0xD8, 0xFF}));
    ASSERT_TRUE(image.SaveToFile(dir.Path("shot.Bmp")));
    EXPECT_EQ(ReadFileBytes(dir.Path("shot.Bmp")).size(), 78u);
    ASSERT_TRUE(image.SaveToFile(dir.Path("shot.tGA")));
    EXPECT_EQ(ReadFileBytes(dir.Path("shot.tGA")).size(), 42u);

    for (const char *name : {"shot.jpeg", "shot.png", "shot", "bmp", "dir.bmp/shot", "shot.bmp.txt"}) {
        EXPECT_FALSE(image.SaveToFile(dir.Path(name))) << name;
        EXPECT_FALSE(Exists(dir.Path(name))) << name;
    }
}

TEST(ImageFiles, SavingLeavesTheBufferAsItWasAndRepeatsExactly)
{
    TestDir dir;
    TGLBMP image;
    FillNumbered(image, 5, 3);
    const auto before = Snapshot(image);
    for (const char *ext : {".bmp", ".jpg", ".tga"}) {
        // The second save replaces a larger file of the same name: nothing of it may remain.
        WriteFileBytes(dir.Path(std::string("b") + ext), std::vector<uint8_t>(5000, 0xEE));
        ASSERT_TRUE(image.SaveToFile(dir.Path(std::string("a") + ext))) << ext;
        ASSERT_TRUE(image.SaveToFile(dir.Path(std::string("b") + ext))) << ext;
        EXPECT_EQ(ReadFileBytes(dir.Path(std::string("a") + ext)), ReadFileBytes(dir.Path(std::string("b") + ext))) << ext;
        EXPECT_EQ(Snapshot(image), before) << ext;
    }
}

TEST(ImageFiles, NothingIsWrittenWithoutPixels)
{
    TestDir dir;
    TGLBMP fresh;
    TGLBMP cleared;
    FillNumbered(cleared, 3, 2);
    cleared.SetSize(0, 0);
    TGLBMP freed;
    FillNumbered(freed, 3, 2);
    freed.FreePixels();
    for (TGLBMP *image : {&fresh, &cleared, &freed}) {
        for (const char *name : {"a.bmp", "a.jpg", "a.tga"}) {
            EXPECT_FALSE(image->SaveToFile(dir.Path(name))) << name;
            EXPECT_FALSE(image->SaveBMP(dir.Path(name))) << name;
            EXPECT_FALSE(image->SaveJPG(dir.Path(name))) << name;
            EXPECT_FALSE(image->SaveTGA(dir.Path(name))) << name;
        }
    }
    EXPECT_TRUE(FolderEntries(dir).isEmpty()) << FolderEntries(dir).join(", ").toStdString();
}

TEST(ImageFiles, UnwritableTargetsFailAndKeepWhatWasThere)
{
    TestDir dir;
    TGLBMP image;
    FillNumbered(image, 3, 2);
    WriteFileBytes(dir.Path("plain"), {1, 2, 3});
    QDir(QString::fromStdString(dir.Root())).mkdir("folder.bmp");
    // Tests may run as root, so permissions would not stop a write: a regular
    // file as parent folder, and a name too long to take a temporary suffix, do.
    const std::vector<uint8_t> good = {'g', 'o', 'o', 'd'};
    for (const char *ext : {".bmp", ".jpg", ".tga"}) {
        EXPECT_FALSE(image.SaveToFile(dir.Path("plain/shot") + ext)) << ext;
        EXPECT_FALSE(image.SaveToFile(dir.Path("missing/shot") + ext)) << ext;
        const std::string target = std::string(251, 'x') + ext;
        WriteFileBytes(dir.Path(target), good);
        EXPECT_FALSE(image.SaveToFile(dir.Path(target))) << ext;
        EXPECT_EQ(ReadFileBytes(dir.Path(target)), good) << ext;
    }
    EXPECT_FALSE(image.SaveToFile(dir.Path("folder.bmp")));
    EXPECT_EQ(ReadFileBytes(dir.Path("plain")), (std::vector<uint8_t>{1, 2, 3}));
    // No temporary files left behind.
    EXPECT_EQ(FolderEntries(dir).size(), 5) << FolderEntries(dir).join(", ").toStdString();
}
