#include "Options.h"
#include "PlacemarkText.h"
#include "TilePos.h"
#include "Placemarks.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

namespace {

TPlaceRec Place(const std::string &name, double lon, double lat, int16_t classId)
{
    TPlaceRec p;
    p.Name = name;
    p.Lon = lon;
    p.Lat = lat;
    p.ClassId = classId;
    return p;
}

std::vector<std::string> Names(const TPlacemarks &view)
{
    std::vector<std::string> names;
    for (const auto &p : view.Places)
        names.push_back(p->Name);
    return names;
}

} // namespace

TEST(PlacemarkText, WritesPaddedLinesWithUnsignedIds)
{
    EXPECT_EQ(PlaceLine(Place("Matterhorn", 7.658, 45.976, 1)),
              "Matterhorn" + std::string(30, ' ') + "=7.658" + std::string(7, ' ') + ",45.976" + std::string(6, ' ')
                  + ",1");
    EXPECT_EQ(PlaceLine(Place("P", -122.123456789012, 0, -1)),
              "P" + std::string(39, ' ') + "=-122.123456789012,0           ,65535");
    TPlaceClassRec peaks;
    peaks.Id = 2;
    peaks.Name = "Peaks, high ones";
    peaks.R = 1;
    EXPECT_EQ(PlaceClassLine(peaks), "2    =1  ,0  ,0  ,Peaks, high ones");
    peaks.Id = -1;
    peaks.G = 128 / 255.0f;
    EXPECT_EQ(PlaceClassLine(peaks), "65535=1  ,0.501960813999176,0  ,Peaks, high ones");
}

TEST(PlacemarkText, IdsKeepTheirLow16Bits)
{
    EXPECT_EQ(ClassIdText(ClassIdFromInt(70000)), 4464);
    EXPECT_EQ(ClassIdText(ClassIdFromInt(-1)), 65535);
    EXPECT_EQ(ClassIdText(ClassIdFromInt(65535)), 65535);
    EXPECT_EQ(ClassIdFromInt(32768), INT16_MIN);
}

TEST(PlacemarkText, ColourValuesKeepRedInTheLowestByteAndEveryByteSurvives)
{
    EXPECT_EQ(ColorValueOf(1, 0, 0), 0x0000FFu);
    EXPECT_EQ(ColorValueOf(0, 1, 0), 0x00FF00u);
    EXPECT_EQ(ColorValueOf(0, 0, 1), 0xFF0000u);
    EXPECT_EQ(ColorValueOf(0.999f, 0.5f, 0), 0x007FFEu); // truncated, not rounded
    for (uint32_t byte = 0; byte < 256; ++byte) {
        float r, g, b;
        ColorComponents(byte | (255 - byte) << 8 | byte << 16, r, g, b);
        EXPECT_EQ(ColorValueOf(r, g, b), byte | (255 - byte) << 8 | byte << 16) << byte;
    }
}

TEST(PlacemarkText, ReadsPaddedAndHandWrittenPlaceLines)
{
    TPlacemarks view;
    const std::vector<std::string> lines = {
        PlaceLine(Place("Matterhorn", 7.658, 45.976, 1)),
        "  Eiger \t=  8.005 , 46.577 ,  3 trailing words ",
        "NoClass=9.1,47.2",
        "BadClass=9.1,47.2,abc",
        "HexClass=9.1 47.2 $10",
        "BigClass=1,2,70000",
        "BadLon=east,47.2,1",
        "# comment=1,2,3",
        "/ comment=1,2,3",
        "LeadingComma=,1,2,3",
        "",
        "no equals sign at all",
    };
    for (const auto &line : lines)
        ReadPlaceLine(line, view);
    ASSERT_EQ(Names(view), (std::vector<std::string>{"Matterhorn", "Eiger", "NoClass", "BadClass", "HexClass", "BigClass"}));
    EXPECT_EQ(view.Places[0]->Lon, 7.658);
    EXPECT_EQ(view.Places[0]->Lat, 45.976);
    EXPECT_EQ(view.Places[0]->ClassId, 1);
    EXPECT_EQ(view.Places[1]->Lon, 8.005);
    EXPECT_EQ(view.Places[1]->Lat, 46.577);
    EXPECT_EQ(view.Places[1]->ClassId, 3);
    EXPECT_EQ(view.Places[2]->ClassId, 0);
    EXPECT_EQ(view.Places[3]->ClassId, 0);
    EXPECT_EQ(view.Places[4]->ClassId, 16);
    EXPECT_EQ(view.Places[5]->ClassId, 4464);
}

TEST(PlacemarkText, ReadsClassLinesWithNamesHoldingBlanksAndCommas)
{
    TPlacemarks view;
    for (const std::string line : {"2    =1  ,0  ,0  ,Peaks, huts and passes  ", " 7 = 0.5 0.25 1 Lakes", "x=1,1,1,NoId",
                                   "65535=0,0,0,Last", "3=red,0,0,Bad", "#9=1,1,1,Comment"})
        ReadPlaceClassLine(line, view);
    ASSERT_EQ(view.PlaceClasses.size(), 4u);
    EXPECT_EQ(view.PlaceClasses[0]->Name, "Peaks, huts and passes");
    EXPECT_EQ(view.PlaceClasses[0]->Id, 2);
    EXPECT_EQ(view.PlaceClasses[0]->R, 1.0f);
    EXPECT_EQ(view.PlaceClasses[1]->Id, 7);
    EXPECT_EQ(view.PlaceClasses[1]->R, 0.5f);
    EXPECT_EQ(view.PlaceClasses[1]->B, 1.0f);
    EXPECT_EQ(view.PlaceClasses[1]->Name, "Lakes");
    EXPECT_EQ(view.PlaceClasses[2]->Id, 0);
    EXPECT_EQ(ClassIdText(view.PlaceClasses[3]->Id), 65535);
    for (const auto &c : view.PlaceClasses)
        EXPECT_TRUE(c->Visible);

    // What is written reads back as it was.
    TPlacemarkLines lines;
    PlacemarksToText(view, lines);
    TPlacemarks again;
    PlacemarksFromText(again, lines);
    ASSERT_EQ(again.PlaceClasses.size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(again.PlaceClasses[i]->Name, view.PlaceClasses[i]->Name);
        EXPECT_EQ(again.PlaceClasses[i]->Id, view.PlaceClasses[i]->Id);
        EXPECT_EQ(again.PlaceClasses[i]->G, view.PlaceClasses[i]->G);
    }
}

TEST(PlacemarkText, HandEditedExtremesStayWritable)
{
    TPlacemarks view;
    // Colour components beyond 0 … 1 (even past a float's range) keep their nearest end.
    ASSERT_TRUE(ReadPlaceClassLine("4=2,-1," + std::string(120, '7') + ",Loud", view));
    EXPECT_EQ(view.PlaceClasses[0]->R, 1.0f);
    EXPECT_EQ(view.PlaceClasses[0]->G, 0.0f);
    EXPECT_EQ(view.PlaceClasses[0]->B, 1.0f);
    EXPECT_EQ(PlaceClassLine(*view.PlaceClasses[0]), "4    =1  ,0  ,1  ,Loud");
    // A coordinate too large for a double is no number: the line is skipped.
    EXPECT_FALSE(ReadPlaceLine("Far=1e400,5,1", view));
    EXPECT_TRUE(view.Places.empty());
}

// The placemark sections stored in, and loaded from, a settings file.
class PlacemarkStorage : public testing::Test {
protected:
    void SetUp() override { SetIniFileName(dir.Path("o.ini")); }
    void TearDown() override { SetIniFileName(""); }
    void Save(const TPlacemarks &view)
    {
        SaveOptions();
        StorePlacemarks(view, lines);
        WriteIniFile();
    }
    TestDir dir;
    TPlacemarkLines lines;
};

TEST_F(PlacemarkStorage, EmptyOrMissingSectionsGiveNoPlacemarks)
{
    WriteFileBytes(dir.Path("o.ini"), {'[', 'P', 'l', 'a', 'c', 'e', 's', ']', '\n'});
    LoadOptions();
    TPlacemarks view;
    view.AddPlace(TLatLon{1, 2}, "old", 0);
    view.AddPlaceClass(1, "old", 1, 1, 1);
    LoadPlacemarks(view, lines);
    EXPECT_TRUE(view.Places.empty());
    EXPECT_TRUE(view.PlaceClasses.empty());
}

TEST_F(PlacemarkStorage, SavedListsComeBackAsTheyWereWithoutDeletedOnes)
{
    LoadOptions();
    TPlacemarks view;
    view.AddPlaceClass(1, "Peaks, high", 1, 0, 0);
    view.AddPlaceClass(2, "Huts", 0, 0.5f, 1);
    view.SetClassVisible(2, false);
    view.AddPlace(TLatLon{45.976, 7.658}, "Matterhorn", 1);
    view.AddPlace(TLatLon{46.577, 8.005}, "Eiger", 1);
    view.AddPlace(TLatLon{46.0, 7.0}, "Twin", 2);
    view.AddPlace(TLatLon{46.5, 7.5}, "Twin", 2);
    Save(view);

    // Delete one and rename another: neither old line may come back.
    view.Places.erase(view.Places.begin() + 1);
    view.Places[0]->Name = "Cervino";
    Save(view);

    LoadOptions();
    TPlacemarks loaded;
    LoadPlacemarks(loaded, lines);
    EXPECT_EQ(Names(loaded), (std::vector<std::string>{"Cervino", "Twin", "Twin"}));
    EXPECT_EQ(loaded.Places[1]->Lat, 46.0);
    EXPECT_EQ(loaded.Places[2]->Lon, 7.5);
    ASSERT_EQ(loaded.PlaceClasses.size(), 2u);
    EXPECT_EQ(loaded.PlaceClasses[0]->Name, "Peaks, high");
    EXPECT_EQ(loaded.PlaceClasses[1]->G, 0.5f);
    EXPECT_TRUE(loaded.PlaceClasses[1]->Visible); // visibility is not stored
    // The options' sections come first in a new file, the placemark sections after them.
    const auto sections = Options.IniFile.SectionNames();
    EXPECT_EQ(std::vector<std::string>(sections.end() - 2, sections.end()),
              (std::vector<std::string>{"Places", "MClasses"}));
}

TEST_F(PlacemarkStorage, NamesThatLookLikeCommentsSurviveTheFile)
{
    LoadOptions();
    TPlacemarks view;
    view.AddPlace(TLatLon{46.0, 7.0}, "#1 Summit", 0);
    view.AddPlace(TLatLon{46.5, 7.5}, "/dev/null Pass", 0);
    view.AddPlace(TLatLon{47.0, 8.0}, ";-) Corner", 0); // the settings file image drops ";" lines
    view.AddPlace(TLatLon{47.5, 8.5}, "[Top]", 0);
    Save(view);

    LoadOptions();
    TPlacemarks loaded;
    LoadPlacemarks(loaded, lines);
    EXPECT_EQ(Names(loaded), (std::vector<std::string>{"#1 Summit", "/dev/null Pass", ";-) Corner", "[Top]"}));
}

TEST_F(PlacemarkStorage, SavingKeepsTheUsersCommentsAndUnreadableLinesInPlace)
{
    const std::string text = "[Places]\n# Alps\nMatterhorn=7.658,45.976,1\nEiger=8.O05,46.577,1\n/ Pyrenees\n"
                             "Aneto=0.657,42.631,1\n[MClasses]\n# colours\n1=1,0,0,Peaks\n2=red,0,0,Typo\n";
    WriteFileBytes(dir.Path("o.ini"), std::vector<uint8_t>(text.begin(), text.end()));
    LoadOptions();
    TPlacemarks view;
    LoadPlacemarks(view, lines);
    ASSERT_EQ(Names(view), (std::vector<std::string>{"Matterhorn", "Aneto"}));
    view.AddPlace(TLatLon{46.0, 7.0}, "New", 1);
    Save(view);

    LoadOptions();
    EXPECT_EQ(ReadIniSection("Places"),
              (std::vector<std::string>{"# Alps", PlaceLine(*view.Places[0]), "Eiger=8.O05,46.577,1", "/ Pyrenees",
                                        PlaceLine(*view.Places[1]), PlaceLine(*view.Places[2])}));
    EXPECT_EQ(ReadIniSection("MClasses"),
              (std::vector<std::string>{"# colours", PlaceClassLine(*view.PlaceClasses[0]), "2=red,0,0,Typo"}));
}
