// Placemark and class lists of the terrain view, and the label text codes.
#include "BitmapFont.h"
#include "TilePos.h"
#include "TopoView.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

TEST(ViewPlaceLists, FindPlaceClassTakesTheFirstOfDuplicatesAndVisibilityChangesAll)
{
    TTopoView view;
    view.AddPlaceClass(7, "Peaks", 1, 0, 0);
    view.AddPlaceClass(3, "Huts", 0, 1, 0);
    view.AddPlaceClass(7, "Summits", 0, 0, 1);

    TPlaceClassRec rec;
    view.FindPlaceClass(7, rec);
    EXPECT_EQ(rec.Name, "Peaks");
    EXPECT_EQ(rec.R, 1);
    EXPECT_TRUE(rec.Visible);

    view.SetClassVisible(7, false);
    EXPECT_FALSE(view.PlaceClasses[0]->Visible);
    EXPECT_TRUE(view.PlaceClasses[1]->Visible);
    EXPECT_FALSE(view.PlaceClasses[2]->Visible);

    // No class with the id: all zeros, invisible and black.
    view.FindPlaceClass(99, rec);
    EXPECT_EQ(rec.Id, 0);
    EXPECT_TRUE(rec.Name.empty());
    EXPECT_FALSE(rec.Visible);
    EXPECT_EQ(rec.R + rec.G + rec.B, 0);

    view.ClearPlaceClasses();
    EXPECT_TRUE(view.PlaceClasses.empty());
}

TEST(ViewPlaceLists, PlacesKeepPositionClassAndAtMostFortyCharacters)
{
    TTopoView view;
    view.AddPlace(MakeLatLon(11.25, 47.5), "Zugspitze", 4);
    // 45 two-byte characters: cut by characters, never inside one.
    std::string umlauts;
    for (int i = 0; i < 45; ++i)
        umlauts += "ä";
    view.AddPlace(TLatLon{-5, -72}, umlauts, -2);

    TPlaceRec rec;
    view.GetPlace(0, rec);
    EXPECT_EQ(rec.Lat, 47.5);
    EXPECT_EQ(rec.Lon, 11.25);
    EXPECT_EQ(rec.Name, "Zugspitze");
    EXPECT_EQ(rec.ClassId, 4);
    view.GetPlace(1, rec);
    EXPECT_EQ(rec.Name.size(), 80u);
    EXPECT_EQ(rec.Name, umlauts.substr(0, 80));
    EXPECT_EQ(rec.ClassId, -2);

    EXPECT_THROW(view.GetPlace(2, rec), std::out_of_range);
    EXPECT_THROW(view.GetPlace(-1, rec), std::out_of_range);
    view.ClearPlaces();
    EXPECT_TRUE(view.Places.empty());
}

TEST(ViewLabelText, CharactersMapToLatinOneGlyphsAndOthersToAQuestionMark)
{
    EXPECT_EQ(GlyphCodes("Zürich 5°"), std::string("Z\xFCrich 5\xB0"));
    EXPECT_EQ(GlyphCodes("ÿ€Ω"), "???");  // 255 has no glyph list
    EXPECT_EQ(GlyphCodes(""), "");
}

} // namespace
