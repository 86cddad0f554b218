#include "ColorRamp.h"
#include "TerrainError.h"
#include "TerrainTexture.h"
#include "TextureTestTerrain.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

class TerrainTexture : public ::testing::Test {
protected:
    void TearDown() override { GradientColors = false; }

    // Every texel of the texture has the colour `want`.
    static void ExpectEverywhere(const TTerrain &t, TRgb want)
    {
        ASSERT_EQ(t.TextureBitmap.size(), QSize(t.Resolution, t.Resolution));
        ASSERT_EQ(t.TextureBitmap.format(), QImage::Format_RGB32);
        int wrong = 0;
        for (int y = 0; y < t.Resolution; ++y)
            for (int x = 0; x < t.Resolution; ++x)
                if (TexelAt(t.TextureBitmap, x, y) != want && ++wrong <= 5)
                    ADD_FAILURE() << "texel (" << x << ", " << y << ") is " << TexelAt(t.TextureBitmap, x, y)
                                  << ", want " << want;
        EXPECT_EQ(wrong, 0);
    }
};

TEST_F(TerrainTexture, FlatGroundIsTheRampColourInFlatLightEverywhere)
{
    TTerrain t;
    t.Resolution = 64;
    FillTerrain(t, 101, [](int, int) { return int16_t(0); });
    t.BuildTexture();
    EXPECT_TRUE(t.TextureBuilt);
    ExpectEverywhere(t, {7, 0, 126});  // (8, 0, 132) × 0.95777

    // The first rows and columns too: their outside neighbours are the edge texels, not 0 m.
    FillTerrain(t, 101, [](int, int) { return int16_t(100); });
    t.BuildTexture();
    ExpectEverywhere(t, {173, 212, 126});  // (181, 222, 132) × 0.95777

    // The unused fourth byte is opaque, as Format_RGB32 requires.
    for (int y = 0; y < t.Resolution; ++y)
        for (int x = 0; x < t.Resolution; ++x)
            ASSERT_EQ(qAlpha(t.TextureBitmap.pixel(x, y)), 255);
}

TEST_F(TerrainTexture, SeaLevelAndGradientRecolourTheTexture)
{
    TTerrain t;
    t.Resolution = 30;
    FillTerrain(t, 31, [](int, int) { return int16_t(105); });
    t.SeaLevel = 100;
    t.BuildTexture();
    ExpectEverywhere(t, {0, 94, 0});  // 5 m above the sea: (0, 99, 0) × 0.95777
    t.Gradient = true;
    t.BuildTexture();
    EXPECT_TRUE(GradientColors);
    ExpectEverywhere(t, {3, 46, 63});  // (4, 49, 66) × 0.95777
    t.SeaLevel = 105;
    t.BuildTexture();
    ExpectEverywhere(t, {7, 0, 126});  // flooded
}

TEST_F(TerrainTexture, VoidsAreShadedBlueWhateverTheSeaAndGradient)
{
    // A wide void in flat ground: its middle is flat too (one metre below the lowest sample).
    TTerrain t;
    t.Resolution = 60;
    FillTerrain(t, 61, [](int col, int row) {
        return int16_t(col >= 15 && col < 45 && row >= 15 && row < 45 ? TSIArray::Void : 300);
    });
    for (bool gradient : {false, true})
        for (int sea : {0, 250, 2000}) {
            t.Gradient = gradient;
            t.SeaLevel = sea;
            t.BuildTexture();
            EXPECT_EQ(TexelAt(t.TextureBitmap, 30, 30), (TRgb{0, 0, 244})) << gradient << " " << sea;
        }
}

TEST_F(TerrainTexture, WithoutShadingTexelsCarryThePureRampColours)
{
    TTerrain t;
    FillRoughTerrain(t, 90, 11);
    t.Resolution = 45;  // every second sample
    t.Shading = false;
    t.SeaLevel = 700;
    for (bool gradient : {false, true}) {
        t.Gradient = gradient;
        t.BuildTexture();
        GradientColors = gradient;
        for (int y = 0; y < 45; ++y)
            for (int x = 0; x < 45; ++x) {
                const TColor c = HeightColor(t.Heights(x * 89 / 45, y * 89 / 45), 700);
                ASSERT_EQ(TexelAt(t.TextureBitmap, x, y), (TRgb{ColorR(c), ColorG(c), ColorB(c)}))
                    << x << "," << y << " gradient " << gradient;
            }
    }
}

TEST_F(TerrainTexture, SlopesFacingTheLightBrightenAndSlopesFacingAwayDarken)
{
    // Planes rising 100 m per sample towards the south-east (facing the
    // north-west light) and towards the north-west (facing away). Colours are
    // compared with the unshaded texture of the same plane.
    auto ratios = [](bool facingLight) {
        TTerrain t;
        FillTerrain(t, 41, [&](int col, int row) {
            const int rise = facingLight ? col + row : 80 - col - row;
            return static_cast<int16_t>(100 * rise);
        });
        t.Resolution = 40;
        t.Shading = false;
        t.BuildTexture();
        const QImage plain = t.TextureBitmap.copy();
        t.Shading = true;
        t.BuildTexture();
        float lo = 2, hi = 0;
        for (int y = 1; y < 39; ++y)
            for (int x = 1; x < 39; ++x) {
                const float f = static_cast<float>(qRed(t.TextureBitmap.pixel(x, y)) + 1) /
                                static_cast<float>(qRed(plain.pixel(x, y)) + 1);
                lo = std::min(lo, f);
                hi = std::max(hi, f);
            }
        return std::pair{lo, hi};
    };
    const auto [litLo, litHi] = ratios(true);
    EXPECT_GT(litLo, 0.99f);  // flat ground would be 0.958
    EXPECT_LE(litHi, 1.0f);
    const auto [darkLo, darkHi] = ratios(false);
    EXPECT_LT(darkHi, 0.5f);
    EXPECT_GT(darkLo, 0.3f);
}

TEST_F(TerrainTexture, EveryThreadCountGivesTheSameBits)
{
    TTerrain t;
    FillRoughTerrain(t, 301, 5);
    t.Resolution = 257;
    t.Gradient = true;
    t.SeaLevel = 900;
    t.TextureThreads = 1;
    t.BuildTexture();
    const QImage single = t.TextureBitmap.copy();
    for (int threads : {2, 3, 8, 0}) {
        t.TextureThreads = threads;
        t.TextureBitmap = QImage();
        t.BuildTexture();
        ASSERT_EQ(t.TextureBitmap.size(), single.size());
        EXPECT_EQ(std::memcmp(t.TextureBitmap.constBits(), single.constBits(), static_cast<size_t>(single.sizeInBytes())), 0)
            << threads << " threads";
    }
}

TEST_F(TerrainTexture, IsTheWholeNormalMapShadedInOnePass)
{
    // BuildTexture colours each band of normals as it comes; the result must
    // be what the two separate passes give.
    TTerrain t;
    FillRoughTerrain(t, 201, 13);
    t.Resolution = 173;
    t.SeaLevel = 1200;
    t.BuildTexture();
    TNormalMap normals;
    ComputeNormalMap(t, normals, 1);
    QImage separate;
    ShadeTexels(t, normals, LightDir, 0.8f, 0.6f, separate, 1);
    ASSERT_EQ(separate.size(), t.TextureBitmap.size());
    EXPECT_EQ(std::memcmp(separate.constBits(), t.TextureBitmap.constBits(), static_cast<size_t>(separate.sizeInBytes())), 0);
}

TEST_F(TerrainTexture, ProgressClimbsFromZeroToOneHundredOnce)
{
    for (bool shading : {true, false})
        for (int threads : {1, 4}) {
            TTerrain t;
            FillRoughTerrain(t, 201, 2);
            t.Resolution = 200;
            t.Shading = shading;
            t.TextureThreads = threads;
            std::vector<int> seen;
            t.OnProgress = [&](int percent) { seen.push_back(percent); };
            t.BuildTexture();
            ASSERT_FALSE(seen.empty());
            EXPECT_EQ(seen.front(), 0);
            EXPECT_EQ(seen.back(), 100);
            EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end())) << shading << " " << threads;
            if (threads == 1) {  // one report per row, at least
                EXPECT_GE(seen.size(), 200u);
            }
        }
}

TEST_F(TerrainTexture, RebuildingReusesNothingStale)
{
    // A smaller resolution after a larger one, and back, on a changed grid.
    TTerrain t;
    FillTerrain(t, 101, [](int, int) { return int16_t(0); });
    t.Resolution = 80;
    t.BuildTexture();
    t.Resolution = 20;
    FillTerrain(t, 101, [](int, int) { return int16_t(100); });
    t.BuildTexture();
    ExpectEverywhere(t, {173, 212, 126});
    t.Resolution = 80;
    t.BuildTexture();
    ExpectEverywhere(t, {173, 212, 126});
}

TEST_F(TerrainTexture, NothingToColourLeavesNoTexture)
{
    TTerrain t;
    t.BuildTexture();
    EXPECT_TRUE(t.TextureBitmap.isNull());
    EXPECT_FALSE(t.TextureBuilt);
    FillTerrain(t, 11, [](int, int) { return int16_t(5); });
    t.Resolution = 0;
    t.BuildTexture();
    EXPECT_TRUE(t.TextureBitmap.isNull());
    EXPECT_FALSE(t.TextureBuilt);
}

TEST_F(TerrainTexture, ASingleSampleGridStillGivesAFiniteTexture)
{
    // All sample points coincide: no direction to normalise, no slope, no NaN.
    TTerrain t;
    FillTerrain(t, 1, [](int, int) { return int16_t(20); });
    t.Resolution = 8;
    t.BuildTexture();
    ExpectEverywhere(t, {34, 88, 19});  // (57, 148, 33) × 0.6, the ambient light alone
}

TEST_F(TerrainTexture, AnOversizedResolutionIsRefusedAndKeepsTheOldTexture)
{
    TTerrain t;
    t.FileName = "N47E008.hgt";
    FillTerrain(t, 11, [](int, int) { return int16_t(5); });
    t.Resolution = 16;
    t.BuildTexture();
    const QImage before = t.TextureBitmap.copy();
    t.Resolution = 2000000;  // 4·10¹² texels
    try {
        t.BuildTexture();
        FAIL() << "no error";
    } catch (const ETerrainError &e) {
        EXPECT_STREQ(e.what(), "A texture of 2000000 × 2000000 texels is too large (at most 16384 a side)");
        EXPECT_EQ(e.File(), "N47E008.hgt");
    }
    EXPECT_EQ(t.TextureBitmap, before);
    EXPECT_TRUE(t.TextureBuilt);
}

} // namespace
