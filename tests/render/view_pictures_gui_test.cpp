// The terrain texture and screenshots: what gets uploaded, what gets written.
#include "view_fixture.h"

#include "GLBMP.h"
#include "TestFiles.h"
#include "TilePos.h"

#include <gtest/gtest.h>

namespace {

// 54-byte BMP header, then B, G, R, A rows bottom-up.
QSize BmpSize(const std::vector<uint8_t> &bytes)
{
    auto le32 = [&](size_t at) { return int(bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | bytes[at + 3] << 24); };
    return bytes.size() < 54 ? QSize() : QSize(le32(18), le32(22));
}

TEST(ViewPicturesGl, SaveTextureWritesTheTerrainTextureEvenAfterAScreenshot)
{
    TestDir dir;
    TOffscreenView off(std::make_unique<TTopoView>(), QSize(200, 150));
    TTopoView &view = off.Load(61, Hills, 64, 64);
    ASSERT_TRUE(view.SaveTexture(dir.Path("before.bmp")));
    ASSERT_TRUE(view.SaveScreenshot(dir.Path("shot.bmp")));
    ASSERT_TRUE(view.SaveTexture(dir.Path("after.bmp")));

    const auto before = ReadFileBytes(dir.Path("before.bmp"));
    EXPECT_EQ(BmpSize(before), QSize(64, 64));
    EXPECT_EQ(ReadFileBytes(dir.Path("after.bmp")), before);
    EXPECT_EQ(BmpSize(ReadFileBytes(dir.Path("shot.bmp"))), QSize(200, 150));
}

TEST(ViewPicturesGl, ScreenshotsHoldTheFrameAsDrawn)
{
    TestDir dir;
    TOffscreenView off(std::make_unique<TTopoView>(), QSize(160, 120));
    TTopoView &view = off.Load(61, Hills, 64, 64);
    const QImage frame = view.GrabFrame();
    ASSERT_TRUE(view.SaveScreenshot(dir.Path("shot.bmp")));
    // Screenshots are written through the image buffer; compare with Qt's reading.
    QImage written(QString::fromStdString(dir.Path("shot.bmp")));
    ASSERT_FALSE(written.isNull());
    EXPECT_EQ(written.convertToFormat(QImage::Format_RGB32), frame);
    // The sky sits at the top, the terrain fills the middle.
    EXPECT_EQ(frame.pixel(80, 0) & 0xFFFFFF, qRgb(176, 234, 255) & 0xFFFFFF);
    EXPECT_NE(frame.pixel(80, 60) & 0xFFFFFF, qRgb(176, 234, 255) & 0xFFFFFF);
    EXPECT_FALSE(view.SaveScreenshot(dir.Path("shot.png")));  // not a format of the image buffer
}

TEST(ViewPicturesGl, UploadModesMirrorFlipTurnAndInvertTheTexture)
{
    TOffscreenView off(std::make_unique<TTopoView>(), QSize(64, 48));
    TTopoView &view = off.Load(61, Hills, 32, 64);
    QImage source(4, 2, QImage::Format_RGB32);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            source.setPixel(x, y, qRgb(10 * x, 100 + 50 * y, 7));
    view.TextureBitmap = source;

    const QImage expected[5] = {source, source.mirrored(true, false), source.mirrored(false, true),
                                source.mirrored(true, true), [&] {
                                    QImage inverted = source;
                                    inverted.invertPixels();
                                    return inverted;
                                }()};
    for (uint8_t mode = 0; mode <= 4; ++mode) {
        SCOPED_TRACE(int(mode));
        view.UploadTexture(mode);
        EXPECT_NE(view.Texture->TextureId(), 0u);
        TGLBMP want;
        AssignBitmap(expected[mode], want);
        if (mode == 4)
            for (size_t i = 3; i < want.ByteCount(); i += 4)
                want.Pixels()[i] = 0;  // alpha is inverted too
        ASSERT_EQ(view.Texture->ByteCount(), want.ByteCount());
        EXPECT_EQ(0, std::memcmp(view.Texture->Pixels(), want.Pixels(), want.ByteCount()));
    }
}

TEST(ViewPicturesGl, SeaLevelRecoloursOnlyAComputedTexture)
{
    TOffscreenView off(std::make_unique<TTopoView>(), QSize(64, 48));
    TTopoView &view = off.Load(61, Hills, 32, 64);
    const QImage computed = view.TextureBitmap;
    view.SetSeaLevel(800);
    EXPECT_EQ(view.SeaLevel, 800);
    EXPECT_NE(view.TextureBitmap, computed);

    // A picture that came from elsewhere is uploaded again unchanged.
    QImage companion(32, 32, QImage::Format_RGB32);
    companion.fill(qRgb(1, 2, 3));
    view.TextureBitmap = companion;
    view.TextureBuilt = false;
    view.SetSeaLevel(0);
    EXPECT_EQ(view.TextureBitmap, companion);
    EXPECT_EQ(view.Texture->Pixels()[0], 1);
}

TEST(ViewPicturesGl, BeforeALoadFramesShowOnlyTheBackgroundAndPicksGiveTheCentre)
{
    TOffscreenView off(std::make_unique<TTopoView>(), QSize(64, 48));
    TTopoView &view = *off.View;
    view.InitGL();
    view.Render();
    const QImage frame = view.GrabFrame();
    EXPECT_EQ(CountPixels(frame, qRgb(176, 234, 255)), 64 * 48);
    TGroundPoint pos;
    view.PickGround(10, 10, pos);
    EXPECT_EQ(pos.LatLon.Lat, 0.5);
    EXPECT_EQ(pos.LatLon.Lon, 0.5);
    EXPECT_FALSE(view.SaveTexture("/nonexistent-folder/t.bmp"));
}

} // namespace
