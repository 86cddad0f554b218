// The pixel buffer of TGLBMP: sizing, the terrain texture copy and the image operations.
#include "GLBMP.h"
#include "SamplePictures.h"

#include <QImage>

#include <gtest/gtest.h>

namespace {

// The red byte of each pixel in buffer order: FillNumbered gives pixel k red 16k + 1.
std::vector<int> RedBytes(const TGLBMP &image)
{
    std::vector<int> reds;
    for (size_t i = 0; i < image.ByteCount(); i += 4)
        reds.push_back(image.Pixels()[i]);
    return reds;
}

// Pixel numbers (k of FillNumbered) in buffer order.
std::vector<int> Order(const TGLBMP &image)
{
    std::vector<int> order;
    for (int red : RedBytes(image))
        order.push_back((red - 1) / 16);
    return order;
}

} // namespace

TEST(ImageBuffer, SizingAllocatesOrLeavesNoPixels)
{
    TGLBMP image;
    EXPECT_FALSE(image.HasPixels());
    EXPECT_EQ(image.BitsPerPixel(), 0);
    EXPECT_EQ(image.TextureId(), 0u);
    EXPECT_EQ(image.JpegQuality, 75);

    image.SetSize(640, 480);
    ASSERT_TRUE(image.HasPixels());
    EXPECT_EQ(image.ByteCount(), 1228800u);
    EXPECT_EQ(image.BitsPerPixel(), 32);

    image.SetSize(0, 7);
    EXPECT_FALSE(image.HasPixels());
    EXPECT_EQ(image.ByteCount(), 0u);
    image.SetSize(-3, 7);
    EXPECT_FALSE(image.HasPixels());
    EXPECT_EQ(image.ByteCount(), 0u);
}

TEST(ImageBuffer, TerrainTextureIsCopiedBottomRowFirstAsOpaqueRgba)
{
    QImage bitmap(3, 2, QImage::Format_RGB32);
    bitmap.setPixel(0, 0, qRgb(10, 11, 12));   // top row
    bitmap.setPixel(1, 0, qRgb(20, 21, 22));
    bitmap.setPixel(2, 0, qRgb(30, 31, 32));
    bitmap.setPixel(0, 1, qRgb(40, 41, 42));   // bottom row
    bitmap.setPixel(1, 1, qRgb(50, 51, 52));
    bitmap.setPixel(2, 1, qRgb(60, 61, 62));
    const std::vector<uint8_t> expected = {40, 41, 42, 255, 50, 51, 52, 255, 60, 61, 62, 255,
                                           10, 11, 12, 255, 20, 21, 22, 255, 30, 31, 32, 255};
    TGLBMP image;
    AssignBitmap(bitmap, image);
    EXPECT_EQ(image.Width(), 3);
    EXPECT_EQ(image.Height(), 2);
    EXPECT_EQ(Snapshot(image), expected);

    // Transparent or differently stored pictures end up the same.
    QImage transparent = bitmap.convertToFormat(QImage::Format_ARGB32);
    transparent.setPixel(0, 1, qRgba(40, 41, 42, 0));
    AssignBitmap(transparent, image);
    EXPECT_EQ(Snapshot(image), expected);
    AssignBitmap(bitmap.convertToFormat(QImage::Format_RGB888), image);
    EXPECT_EQ(Snapshot(image), expected);

    AssignBitmap(QImage(), image);
    EXPECT_FALSE(image.HasPixels());
}

TEST(ImageBuffer, MirrorFlipAndRotateMovePixelsAsSeen)
{
    // 3 × 3 in buffer order:  row 0: 0 1 2,  row 1: 3 4 5,  row 2: 6 7 8
    TGLBMP image;
    FillNumbered(image, 3, 3);
    ASSERT_TRUE(image.MirrorHorizontal());
    EXPECT_EQ(Order(image), (std::vector<int>{2, 1, 0, 5, 4, 3, 8, 7, 6}));

    FillNumbered(image, 3, 3);
    ASSERT_TRUE(image.FlipVertical());
    EXPECT_EQ(Order(image), (std::vector<int>{6, 7, 8, 3, 4, 5, 0, 1, 2}));

    FillNumbered(image, 4, 2);
    ASSERT_TRUE(image.Rotate180());
    EXPECT_EQ(Order(image), (std::vector<int>{7, 6, 5, 4, 3, 2, 1, 0}));

    // Whole pixels move: their other bytes travel with the red one.
    for (size_t k = 0; k < 8; ++k)
        EXPECT_EQ(image.Pixels()[k * 4 + 3], image.Pixels()[k * 4] + 3);
}

TEST(ImageBuffer, InvertAndSwapRedBlueChangeBytesInPlace)
{
    TGLBMP image;
    FillNumbered(image, 2, 1);
    ASSERT_TRUE(image.Invert());
    EXPECT_EQ(Snapshot(image), (std::vector<uint8_t>{254, 253, 252, 251, 238, 237, 236, 235}));

    FillNumbered(image, 2, 1);
    image.SwapRedBlue();
    EXPECT_EQ(Snapshot(image), (std::vector<uint8_t>{3, 2, 1, 4, 19, 18, 17, 20}));
}

TEST(ImageBuffer, OperationsWithoutPixelsDoNothing)
{
    TGLBMP image;
    EXPECT_FALSE(image.MirrorHorizontal());
    EXPECT_FALSE(image.FlipVertical());
    EXPECT_FALSE(image.Rotate180());
    EXPECT_FALSE(image.Invert());
    image.SwapRedBlue();
    EXPECT_FALSE(image.HasPixels());

    FillNumbered(image, 2, 2);
    image.FreePixels();
    EXPECT_FALSE(image.HasPixels());
    EXPECT_FALSE(image.Invert());
}
