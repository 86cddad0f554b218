// Elevation rasters through GDAL: GeoTIFFs written here from made-up grids,
// read back as terrains and compared with what PROJ says and what was written.
#include "GdalRaster.h"
#include "NormalMap.h"
#include "Terrain.h"
#include "TerrainError.h"
#include "TerrainSource.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <gdal_priv.h>
#include <ogr_spatialref.h>

#include <cmath>
#include <functional>

namespace {

struct TTiff {
    int w = 100, h = 100, bands = 1;
    GDALDataType type = GDT_Float32;
    std::array<double, 6> gt{8, 0.01, 0, 48, 0, -0.01};
    bool georeferenced = true;
    int epsg = 4326;
    const char *areaOrPoint = "Area";
    const char *unit = "";
    std::optional<double> noData;
    std::function<double(int col, int row)> value = [](int, int) { return 0.0; };
};

std::string Write(const TestDir &dir, const std::string &name, const TTiff &t)
{
    GDALAllRegister();
    const std::string path = dir.Path(name);
    GDALDataset *ds = GetGDALDriverManager()->GetDriverByName("GTiff")->Create(path.c_str(), t.w, t.h, t.bands, t.type, nullptr);
    std::array<double, 6> gt = t.gt;
    OGRSpatialReference srs;
    srs.importFromEPSG(t.epsg);
    if (t.georeferenced) {
        ds->SetGeoTransform(gt.data());
        ds->SetSpatialRef(&srs);
    }
    ds->SetMetadataItem("AREA_OR_POINT", t.areaOrPoint);
    std::vector<double> values(static_cast<size_t>(t.w) * t.h);
    for (int r = 0; r < t.h; ++r)
        for (int c = 0; c < t.w; ++c)
            values[static_cast<size_t>(r) * t.w + c] = t.value(c, r);
    for (int b = 1; b <= t.bands; ++b) {
        GDALRasterBand *band = ds->GetRasterBand(b);
        band->SetUnitType(t.unit);
        if (t.noData)
            band->SetNoDataValue(*t.noData);
        EXPECT_EQ(band->RasterIO(GF_Write, 0, 0, t.w, t.h, values.data(), t.w, t.h, GDT_Float64, 0, 0), CE_None);
    }
    GDALClose(ds);
    return path;
}

// A w × h raster of `pixel` metres in UTM zone 32 north.
TTiff Utm(int w, int h, double pixel)
{
    TTiff t;
    t.w = w;
    t.h = h;
    t.epsg = 32632;
    t.gt = {480000, pixel, 0, 5300000, 0, -pixel};
    return t;
}

TTerrain Load(const std::string &path)
{
    TTerrain terrain;
    TerrainSourceFor({path})->LoadInto(terrain);
    return terrain;
}

double MetresAt(const TTerrain &t, int col, int row)
{
    return t.Metres(t.Heights(col, row));
}

}  // namespace

TEST(GdalRaster, PixelIsPointAndAreaPutSamplesWhereTheyLie)
{
    TestDir dir;
    TTiff tiff;
    tiff.w = tiff.h = 101;
    tiff.value = [](int c, int r) { return 1000 + c - 2 * r; };
    tiff.areaOrPoint = "Point";  // corners half a sample outside: samples on whole hundredths
    tiff.gt = {8 - 0.005, 0.01, 0, 49 + 0.005, 0, -0.01};
    const TTerrain point = Load(Write(dir, "point.tif", tiff));
    tiff.areaOrPoint = "Area";   // samples in the middle of their cells
    tiff.gt = {8, 0.01, 0, 49, 0, -0.01};
    const TTerrain area = Load(Write(dir, "area.tif", tiff));

    EXPECT_EQ(point.Source.Driver, "GTiff");
    for (const auto &[c, r] : {std::pair{0, 0}, {100, 100}, {37, 61}}) {
        const TLatLon p = point.GeoRef.LatLonAt(c, r), a = area.GeoRef.LatLonAt(c, r);
        EXPECT_NEAR(p.Lat, 49 - r * 0.01, 1e-9);
        EXPECT_NEAR(p.Lon, 8 + c * 0.01, 1e-9);
        EXPECT_NEAR(a.Lat, 49 - (r + 0.5) * 0.01, 1e-9);
        EXPECT_NEAR(a.Lon, 8 + (c + 0.5) * 0.01, 1e-9);
        EXPECT_EQ(MetresAt(point, c, r), 1000 + c - 2 * r);
    }
}

TEST(GdalRaster, ProjectedRasterKeepsItsGridAndReadsOutThroughProj)
{
    TestDir dir;
    TTiff tiff = Utm(100, 100, 10);
    tiff.value = [](int c, int r) { return 500 + 3 * c + 0.25 * r; };
    const TTerrain t = Load(Write(dir, "utm.tif", tiff));
    ASSERT_EQ(t.GridHigh, 99);
    EXPECT_EQ(t.GeoRef.CrsName(), "EPSG:32632");
    EXPECT_NEAR(t.GeoRef.SpacingX(), 10, 1e-9);
    EXPECT_NEAR(t.GeoRef.SpacingY(), 10, 1e-9);

    OGRSpatialReference utm, wgs84;
    utm.importFromEPSG(32632);
    wgs84.SetWellKnownGeogCS("WGS84");
    utm.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    wgs84.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    std::unique_ptr<OGRCoordinateTransformation> proj(OGRCreateCoordinateTransformation(&utm, &wgs84));
    for (const auto &[c, r] : {std::pair{0, 0}, {99, 99}, {42, 17}}) {
        double x = 480000 + (c + 0.5) * 10, y = 5300000 - (r + 0.5) * 10;
        ASSERT_TRUE(proj->Transform(1, &x, &y));
        const TLatLon p = t.GeoRef.LatLonAt(c, r);
        EXPECT_NEAR(p.Lat, y, 1e-9);
        EXPECT_NEAR(p.Lon, x, 1e-9);
        // The read-out at that point is the sample written there.
        const auto g = t.GeoRef.GridAt({y, x});
        ASSERT_TRUE(g);
        const double metres = t.SampleHeight(float(std::round((*g)[0])), float(std::round((*g)[1]))) / TTerrain::HeightScale;
        EXPECT_NEAR(metres, 500 + 3 * c + 0.25 * r, t.HeightStep);
    }
}

TEST(GdalRaster, NoDataNanAndFeetBecomeVoidsAndMetres)
{
    TestDir dir;
    TTiff tiff;
    tiff.unit = "ft";
    tiff.noData = -9999;
    tiff.value = [](int c, int r) { return c == 5 && r == 7 ? -9999 : c == 9 && r == 2 ? NAN : 1000.0 + c; };
    const TTerrain t = Load(Write(dir, "feet.tif", tiff));
    EXPECT_EQ(t.Heights(5, 7), TSIArray::Void);
    EXPECT_EQ(t.Heights(9, 2), TSIArray::Void);
    EXPECT_NEAR(MetresAt(t, 40, 40), 1040 * 0.3048, t.HeightStep / 2);
    EXPECT_NEAR(t.Metres(t.MaxHeight), 1099 * 0.3048, t.HeightStep / 2);
}

TEST(GdalRaster, NotSquareIsResampledAlongItsShorterAxis)
{
    TestDir dir;
    TTiff tiff = Utm(201, 101, 1);
    tiff.noData = -1;
    tiff.value = [](int c, int r) { return c == 50 && r == 50 ? -1 : 100 + 0.5 * r + 0.01 * c; };
    const TTerrain t = Load(Write(dir, "strip.tif", tiff));
    ASSERT_EQ(t.GridHigh, 200);
    EXPECT_NEAR(t.GeoRef.SpacingX(), 1, 1e-9);
    EXPECT_NEAR(t.GeoRef.SpacingY(), 0.5, 1e-9);  // 100 m over 200 grid steps
    // Grid row 2k is source row k; odd rows lie half-way between two.
    EXPECT_NEAR(MetresAt(t, 10, 40), 100 + 0.5 * 20 + 0.1, t.HeightStep / 2);
    EXPECT_NEAR(MetresAt(t, 10, 41), 100 + 0.5 * 20.5 + 0.1, t.HeightStep / 2);
    // The void stays one, and reaches only the rows it weighs in.
    EXPECT_EQ(t.Heights(50, 99), TSIArray::Void);
    EXPECT_EQ(t.Heights(50, 100), TSIArray::Void);
    EXPECT_EQ(t.Heights(50, 101), TSIArray::Void);
    EXPECT_NE(t.Heights(50, 98), TSIArray::Void);
    EXPECT_NE(t.Heights(51, 100), TSIArray::Void);

    // Without a transform the first row stored is the northern one, as in a
    // picture, whatever the shape (GDAL's stand-in transform runs south).
    TTiff plain;
    plain.georeferenced = false;
    plain.value = [](int, int r) { return 10.0 * r; };
    for (const int h : {101, 51}) {
        plain.w = 101;
        plain.h = h;
        const TTerrain p = Load(Write(dir, "plain" + std::to_string(h) + ".tif", plain));
        EXPECT_NEAR(MetresAt(p, 5, 0), 0, p.HeightStep) << h;
        EXPECT_NEAR(MetresAt(p, 5, p.GridHigh), 10.0 * (h - 1), p.HeightStep) << h;
    }
}

TEST(GdalRaster, PicturesAndBrokenFilesAreRefusedAndLeaveTheTerrainAlone)
{
    TestDir dir;
    TTerrain terrain;
    terrain.LoadFromFile(WriteHgt(dir, "N47E008.hgt", 1201, [](int c, int) { return int16_t(c); }));
    TTiff rgb;
    rgb.bands = 3;
    rgb.type = GDT_Byte;
    const std::string photo = Write(dir, "photo.tif", rgb);
    TTiff palette;
    palette.type = GDT_Byte;
    const std::string map = Write(dir, "map.tif", palette);
    {
        GDALDataset *ds = GDALDataset::Open(map.c_str(), GDAL_OF_RASTER | GDAL_OF_UPDATE);
        GDALColorTable colours;
        const GDALColorEntry entry{10, 20, 30, 255};
        colours.SetColorEntry(0, &entry);
        ds->GetRasterBand(1)->SetColorTable(&colours);
        GDALClose(ds);
    }
    const std::string broken = dir.Path("broken.tif");
    WriteFileBytes(broken, {'I', 'I', 42, 0, 8, 0, 0, 0, 1, 2, 3});
    for (const auto &[path, problem] : {std::pair{photo, "is a picture with 3 colour bands, not an elevation model"},
                                        {map, "is a picture with a colour palette, not an elevation model"},
                                        {broken, "GDAL cannot read it as a raster"}})
        try {
            TerrainSourceFor({path})->LoadInto(terrain);
            ADD_FAILURE() << path << " was read as heights";
        } catch (const ETerrainError &e) {
            EXPECT_EQ(e.File(), path);
            EXPECT_NE(std::string(e.what()).find(problem), std::string::npos) << e.what();
        }
    EXPECT_EQ(terrain.GridHigh, 1200);
    EXPECT_EQ(terrain.Heights(700, 3), 700);
}

// A 1 m model of a gentle even slope: at whole metres it would be flats
// and one-metre steps, with light jumping between them.
TEST(GdalRaster, FineHeightsShadeWithoutTerraces)
{
    TestDir dir;
    TTiff tiff = Utm(257, 257, 1);
    tiff.value = [](int c, int) { return 1500 + 0.07 * c; };
    TTerrain t = Load(Write(dir, "lidar.tif", tiff));
    EXPECT_LE(t.HeightStep, 0.05);
    t.Resolution = 128;
    TNormalMap normals;
    ComputeNormalMap(t, normals, 1);
    int lo = 127, hi = -127;
    for (int y = 2; y < 126; ++y)
        for (int x = 2; x < 126; ++x) {
            lo = std::min<int>(lo, normals[size_t(y) * 128 + x].x);
            hi = std::max<int>(hi, normals[size_t(y) * 128 + x].x);
        }
    EXPECT_LE(hi - lo, 1);
    EXPECT_LT(hi, 0);  // and turned towards the east, as the slope is

    // Its northern rows near sea level, the southern ones on a plateau far
    // above: the step the first rows suggest cannot hold the rest.
    TTiff cliff = Utm(600, 600, 1);
    cliff.value = [](int c, int r) { return r < 300 ? 0.01 * c : 2000 + 0.01 * c; };
    const TTerrain both = Load(Write(dir, "cliff.tif", cliff));
    EXPECT_NEAR(MetresAt(both, 599, 0), 5.99, both.HeightStep / 2);
    EXPECT_NEAR(MetresAt(both, 599, 599), 2005.99, both.HeightStep / 2);
    EXPECT_NEAR(both.Metres(both.MaxHeight), 2005.99, both.HeightStep / 2);
}

// The same heights as a 1″ tile and as a 1″ GeoTIFF: the same texture.
TEST(GdalRaster, OneArcSecondRasterShadesLikeTheTile)
{
    TestDir dir;
    const auto height = [](int c, int r) { return int16_t(800 + 600 * std::sin(c * 0.004) * std::cos(r * 0.003)); };
    TTerrain tile;
    tile.LoadFromFile(WriteHgt(dir, "N47E008.hgt", 3601, height));
    TTiff tiff;
    tiff.w = tiff.h = 3601;
    tiff.type = GDT_Int16;
    tiff.areaOrPoint = "Point";
    tiff.gt = {8 - 0.5 / 3600, 1.0 / 3600, 0, 48 + 0.5 / 3600, 0, -1.0 / 3600};
    tiff.value = height;
    TTerrain raster = Load(Write(dir, "N47E008.tif", tiff));
    ASSERT_EQ(raster.HeightStep, 1.0);
    for (TTerrain *t : {&tile, &raster}) {
        t->Resolution = 512;
        t->BuildTexture();
    }
    EXPECT_TRUE(raster.TextureBitmap == tile.TextureBitmap);
}

TEST(GdalRaster, DecimationKeepsTheExtremesWithinAStep)
{
    TestDir dir;
    TTiff tiff = Utm(14402, 6, 30);
    tiff.value = [](int c, int) { return 500 + 400 * std::sin(c * 0.001); };
    const TTerrain t = Load(Write(dir, "wide.tif", tiff));
    EXPECT_EQ(t.Source.ReadAt, 2);
    EXPECT_EQ(t.Source.Width, 14402);
    EXPECT_EQ(t.GridHigh, 7200);
    EXPECT_NEAR(t.Metres(t.MaxHeight), 900, t.HeightStep);
    EXPECT_NEAR(t.Metres(t.MinHeight), 100, t.HeightStep);
}
