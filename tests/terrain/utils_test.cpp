#include "Utils.h"

#include <gtest/gtest.h>

#include <clocale>
#include <thread>

namespace {

// The number text expected in every locale: general format, 15 significant
// digits, "." as the separator, read back with "." or ",".
void ExpectLocaleFreeNumberText()
{
    EXPECT_EQ(FloatToStrN(1.5), "1.5");
    EXPECT_EQ(FloatToStrN(4), "4");
    EXPECT_EQ(FloatToStrN(0.1), "0.1");
    EXPECT_EQ(FloatToStrN(0.0001), "0.0001");
    EXPECT_EQ(FloatToStrN(-2.25), "-2.25");
    EXPECT_EQ(FloatToStrN(static_cast<double>(0.8f)), "0.800000011920929");
    EXPECT_EQ(FloatToStrN(0.00001), "1E-5");
    EXPECT_EQ(FloatToStrN(123456789012345.0), "123456789012345");
    EXPECT_EQ(FloatToStrN(1e15), "1E15");
    EXPECT_DOUBLE_EQ(StrToFloatN("1.5"), 1.5);
    EXPECT_DOUBLE_EQ(StrToFloatN("1,5"), 1.5);
    EXPECT_DOUBLE_EQ(StrToFloatN("+2.5E2"), 250);
    EXPECT_EQ(StrToFloatN("1.5e-400"), 0.0);
    EXPECT_EQ(StrToFloatN("-1e-99999999999999999999"), 0.0);
    for (const char *bad : {"", "   ", "abc", "1.5x", "1.2.3", "1,2,3", "--1", "+-1", "inf", "nan", "0x10", "1e400",
                            "1e99999999999999999999"})
        EXPECT_THROW(StrToFloatN(bad), EConvertError) << bad;
}

} // namespace

TEST(NumberText, WritesGeneralFormatWithPointWhateverTheLocale)
{
    ExpectLocaleFreeNumberText();
    // QApplication switches the C library to the user's locale; most of Europe
    // writes a comma there. scripts/install-deps generates this one.
    ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr) << "the locale de_DE.UTF-8 is not installed";
    struct TBackToC {
        ~TBackToC() { std::setlocale(LC_ALL, "C"); }
    } backToC;
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    ExpectLocaleFreeNumberText();
}

TEST(NumberText, ReadsPointAndCommaAndRejectsTheRest)
{
    EXPECT_DOUBLE_EQ(StrToFloatN("-3"), -3);
    EXPECT_DOUBLE_EQ(StrToFloatN(" 47.25      "), 47.25);
    EXPECT_EQ(static_cast<float>(StrToFloatN(FloatToStrN(static_cast<double>(0.8f)))), 0.8f);
    EXPECT_EQ(StrToFloatN("1e-400"), 0.0);
    EXPECT_EQ(StrToFloatN("0." + std::string(400, '0') + "1"), 0.0);
    EXPECT_THROW(StrToFloatN("1" + std::string(400, '0')), EConvertError);
}

TEST(Masks, FollowTheCharacterClasses)
{
    EXPECT_TRUE(MatchesMask("N47E008.hgt.zip", "C00C000.*"));
    EXPECT_FALSE(MatchesMask("n47e008.hgt", "C00C000.*"));
    EXPECT_FALSE(MatchesMask("N47E08.hgt", "C00C000.*"));
    EXPECT_TRUE(MatchesMask("N47", "C00C000.*"));
    EXPECT_FALSE(MatchesMask("N47E0081", "C00C000"));
    EXPECT_FALSE(MatchesMask("", "C00C000.*"));
    EXPECT_FALSE(MatchesMask("N47", ""));
    EXPECT_TRUE(MatchesMask("a1Z", "###"));
    EXPECT_FALSE(MatchesMask("a-Z", "###"));
    EXPECT_TRUE(MatchesMask("ab", "cc"));
    EXPECT_FALSE(MatchesMask("aB", "cc"));
    EXPECT_FALSE(MatchesMask("\xC4", "C"));
}

TEST(Clamps, KeepTheSign)
{
    double v = -7;
    ClampAbs(v, 5);
    EXPECT_EQ(v, -5);
    v = 3;
    ClampAbs(v, 5);
    EXPECT_EQ(v, 3);
    float f = 9.5f;
    ClampAbsSingle(f, 1.5f);
    EXPECT_EQ(f, 1.5f);
    EXPECT_EQ(SignOf(0.0f), 0.0f);
    EXPECT_EQ(SignOf(-0.25f), -1.0f);
}

TEST(Paths, JoinAndResolve)
{
    EXPECT_EQ(IncludeTrailingSeparator("/data"), "/data/");
    EXPECT_EQ(IncludeTrailingSeparator("/data/"), "/data/");
    EXPECT_EQ(IncludeTrailingSeparator(""), "/");
    EXPECT_EQ(CombinePath("/prog", "tiles"), "/prog/tiles");
    EXPECT_EQ(CombinePath("/prog", "/data"), "/data");
    EXPECT_EQ(CombinePath("/prog/", "../data"), "/data");
    EXPECT_EQ(CombinePath("/prog/bin", "./tiles/../maps/"), "/prog/bin/maps/");
    EXPECT_EQ(CombinePath("/prog", ""), "/prog/");
    EXPECT_EQ(CombinePath("/", "../../x"), "/x");
}

TEST(Stopwatch, CountsMonotonicMilliseconds)
{
    const int64_t start = ReadCounter();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const double ms = ElapsedMs(start);
    EXPECT_GE(ms, 19.0);
    EXPECT_LT(ms, 5000.0);
    EXPECT_EQ(GetTempFolder().back(), '/');
}
