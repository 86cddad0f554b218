#include "ColorRamp.h"
#include "HeightGrid.h"

#include <gtest/gtest.h>

namespace {

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb &) const = default;
};
std::ostream &operator<<(std::ostream &out, const Rgb &c)
{
    return out << '(' << c.r << ", " << c.g << ", " << c.b << ')';
}

class ColorRamp : public ::testing::Test {
protected:
    void SetUp() override { InitColorTable(); }
    void TearDown() override
    {
        GradientColors = false;
        InitColorTable();
    }
    static Rgb Color(int h, int sea, bool gradient)
    {
        GradientColors = gradient;
        const TColor c = HeightColor(static_cast<int16_t>(h), sea);
        EXPECT_EQ(c >> 24, 0u) << "colours are 24-bit";
        return {ColorR(c), ColorG(c), ColorB(c)};
    }
};

TEST_F(ColorRamp, StepsTakeTheColourOfTheNextStopAtOrAbove)
{
    EXPECT_EQ(Color(5, 0, false), (Rgb{0, 99, 0}));
    EXPECT_EQ(Color(0, 0, false), (Rgb{8, 0, 132}));
    EXPECT_EQ(Color(-5000, 0, false), (Rgb{8, 0, 132}));
    EXPECT_EQ(Color(1, 0, false), (Rgb{0, 99, 0}));
    EXPECT_EQ(Color(10, 0, false), (Rgb{0, 99, 0}));
    EXPECT_EQ(Color(11, 0, false), (Rgb{57, 148, 33}));
    EXPECT_EQ(Color(1000, 0, false), (Rgb{132, 49, 24}));
    EXPECT_EQ(Color(8001, 0, false), (Rgb{255, 255, 255}));
    EXPECT_EQ(Color(32767, 0, false), (Rgb{255, 255, 255}));
}

TEST_F(ColorRamp, GradientBlendsChannelByChannelAndTruncates)
{
    EXPECT_EQ(Color(5, 0, true), (Rgb{4, 49, 66}));    // midway from (8, 0, 132) to (0, 99, 0)
    EXPECT_EQ(Color(20, 0, true), (Rgb{28, 123, 16})); // midway from (0, 99, 0) to (57, 148, 33)
    EXPECT_EQ(Color(0, 0, true), (Rgb{8, 0, 132}));    // a stop itself
    EXPECT_EQ(Color(32767, 0, true), (Rgb{255, 255, 255}));
    // Below the sea the blend runs from the void blue up to the water colour.
    EXPECT_EQ(Color(-32767, 0, true), (Rgb{0, 0, 254}));
    EXPECT_EQ(Color(-16384, 0, true), (Rgb{4, 0, 193}));
}

TEST_F(ColorRamp, SeaLevelShiftsTheRampAndFloodsLowGround)
{
    for (bool gradient : {false, true}) {
        EXPECT_EQ(Color(5, 5, gradient), (Rgb{8, 0, 132})) << gradient;
        EXPECT_EQ(Color(105, 100, gradient), Color(5, 0, gradient)) << gradient;
        EXPECT_EQ(Color(1000, 1000, gradient), (Rgb{8, 0, 132})) << gradient;
        EXPECT_EQ(Color(-200, -230, gradient), Color(30, 0, gradient)) << gradient;
    }
}

TEST_F(ColorRamp, VoidsAreBlueWhateverTheSeaAndGradient)
{
    for (bool gradient : {false, true})
        for (int sea : {-1000, 0, 5, 500, 32767, -32768})
            EXPECT_EQ(Color(TSIArray::Void, sea, gradient), (Rgb{0, 0, 255})) << sea << " " << gradient;
}

TEST_F(ColorRamp, HeightMinusSeaWrapsAroundInSixteenBits)
{
    // −32000 − 1000 = −33000 wraps to 32536: near the top of the ramp, not a void.
    EXPECT_EQ(Color(-32000, 1000, false), (Rgb{255, 255, 255}));
    EXPECT_EQ(Color(-32000, 1000, true), (Rgb{254, 254, 254}));
    // 32000 + 1000 = 33000 wraps to −32536: deep water.
    EXPECT_EQ(Color(32000, -1000, false), (Rgb{8, 0, 132}));
    EXPECT_EQ(Color(32000, -1000, true), (Rgb{0, 0, 254}));
}

TEST_F(ColorRamp, InitColorTableRestoresTheStandardRamp)
{
    ColorTable.clear();
    AddColorStop(-32768, MakeColor(1, 2, 3));
    AddColorStop(32767, MakeColor(4, 5, 6));
    EXPECT_EQ(Color(5, 0, false), (Rgb{4, 5, 6}));
    InitColorTable();
    ASSERT_EQ(ColorTable.size(), 20u);
    for (size_t i = 1; i < ColorTable.size(); ++i)
        EXPECT_LT(ColorTable[i - 1].Height, ColorTable[i].Height);
    EXPECT_EQ(Color(5, 0, false), (Rgb{0, 99, 0}));
    // An emptied table gives black rather than reading past its end.
    ColorTable.clear();
    EXPECT_EQ(Color(5, 0, true), (Rgb{0, 0, 0}));
}

TEST_F(ColorRamp, TableForEveryHeightMatchesSingleLookups)
{
    for (bool gradient : {false, true}) {
        GradientColors = gradient;
        for (int sea : {120, 0, -700, 32767, -32768}) {
            const std::vector<TColor> table = HeightColorTable(sea);
            ASSERT_EQ(table.size(), 65536u);
            for (int h = -32768; h <= 32767; ++h)
                ASSERT_EQ(table[static_cast<size_t>(h + 32768)], HeightColor(static_cast<int16_t>(h), sea))
                    << h << " sea " << sea << " gradient " << gradient;
        }
    }
}

} // namespace
