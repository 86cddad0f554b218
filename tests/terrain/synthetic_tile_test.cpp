// The made-up tiles other tests, benchmarks and samples are built on.
#include "SyntheticTile.h"
#include "Terrain.h"
#include "TerrainError.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

TEST(SyntheticTiles, AreDeterministicPerSeed)
{
    const std::vector<int16_t> a = MakeSyntheticHeights(1201, 3);
    EXPECT_EQ(a, MakeSyntheticHeights(1201, 3));
    EXPECT_NE(a, MakeSyntheticHeights(1201, 4));

    // The file bytes are the heights, high byte first.
    const std::vector<uint8_t> bytes = MakeSyntheticHgt(1201, 3);
    ASSERT_EQ(bytes.size(), static_cast<size_t>(TTerrain::HgtSize1201));
    for (size_t k : {size_t(0), size_t(777777), a.size() - 1})
        EXPECT_EQ(static_cast<int16_t>(bytes[2 * k] << 8 | bytes[2 * k + 1]), a[k]) << k;
}

TEST(SyntheticTiles, HaveReliefABasinBelowSeaLevelAndAPatchOfVoids)
{
    for (uint32_t seed : {1u, 2u, 99u}) {
        const int n = 1201;
        const std::vector<int16_t> h = MakeSyntheticHeights(n, seed);
        size_t voids = 0, belowSea = 0;
        int lo = 32767, hi = -32768;
        for (int16_t v : h) {
            if (v == TSIArray::Void) {
                ++voids;
                continue;
            }
            belowSea += v < 0;
            lo = std::min<int>(lo, v);
            hi = std::max<int>(hi, v);
        }
        EXPECT_GT(voids, 1000u) << seed;
        EXPECT_LT(voids, h.size() / 50) << seed;
        EXPECT_GT(belowSea, h.size() / 200) << seed;
        EXPECT_GT(hi - lo, 1500) << seed;
        EXPECT_LT(hi, 8800) << seed;
        // Believable means continuous: neighbours differ by far less than the range.
        int steepest = 0;
        for (int r = 0; r < n; ++r)
            for (int c = 1; c < n; ++c) {
                const int16_t a = h[r * n + c - 1], b = h[r * n + c];
                if (a != TSIArray::Void && b != TSIArray::Void)
                    steepest = std::max(steepest, std::abs(a - b));
            }
        EXPECT_LT(steepest, 120) << seed;
        EXPECT_GT(steepest, 5) << seed;
    }
}

TEST(SyntheticTiles, ShowTheSameLandscapeAtBothResolutions)
{
    const std::vector<int16_t> coarse = MakeSyntheticHeights(1201, 5);
    const std::vector<int16_t> fine = MakeSyntheticHeights(3601, 5);
    int mismatches = 0, compared = 0;
    for (int r = 0; r <= 1200; r += 7)
        for (int c = 0; c <= 1200; c += 5) {
            // Sample 3c of the fine tile lies where sample c of the coarse one does.
            const int16_t a = coarse[static_cast<size_t>(r) * 1201 + c];
            const int16_t b = fine[static_cast<size_t>(3 * r) * 3601 + 3 * c];
            ++compared;
            if ((a == TSIArray::Void) != (b == TSIArray::Void) || std::abs(a - b) > 2)
                ++mismatches;
        }
    EXPECT_LT(mismatches, compared / 500);
}

TEST(SyntheticTiles, WriteOnlyRealTileSizes)
{
    TestDir dir;
    const std::string path = dir.Path("N47E008.hgt");
    WriteSyntheticTile(path, 1201, 1);
    TTerrain t;
    t.LoadFromFile(path);
    const std::vector<int16_t> h = MakeSyntheticHeights(1201, 1);
    EXPECT_EQ(t.Heights(600, 400), h[400 * 1201 + 600]);

    EXPECT_THROW(WriteSyntheticTile(dir.Path("odd.hgt"), 1000, 1), ETerrainError);
    EXPECT_THROW(WriteSyntheticTile(dir.Path("no/folder/x.hgt"), 1201, 1), ETerrainError);
}
