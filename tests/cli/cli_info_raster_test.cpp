// orolith-cli info on a projected GeoTIFF: where it came from, and the
// height at a point given in latitude and longitude.
#include "RunCli.h"

#include <gdal_priv.h>
#include <ogr_spatialref.h>

#include <cstdio>
#include <memory>

TEST(CliInfoRaster, SourceFieldsAndHeightAtAPoint)
{
    TestDir dir;
    const std::string path = dir.Path("utm.tif");
    GDALAllRegister();
    GDALDataset *ds = GetGDALDriverManager()->GetDriverByName("GTiff")->Create(path.c_str(), 300, 200, 1, GDT_Float32, nullptr);
    double gt[6] = {480000, 2, 0, 5300000, 0, -2};
    ds->SetGeoTransform(gt);
    OGRSpatialReference utm, wgs84;
    utm.importFromEPSG(32632);
    ds->SetSpatialRef(&utm);
    std::vector<float> heights(300 * 200);
    for (int i = 0; i < 300 * 200; ++i)
        heights[size_t(i)] = 1200.0f + float(i % 300) * 0.5f;
    ASSERT_EQ(ds->GetRasterBand(1)->RasterIO(GF_Write, 0, 0, 300, 200, heights.data(), 300, 200, GDT_Float32, 0, 0), CE_None);
    GDALClose(ds);

    // A quarter sample south-east of the centre of column 101, row 40: the
    // status bar shows a sample from its centre to the next one's.
    wgs84.SetWellKnownGeogCS("WGS84");
    utm.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    wgs84.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    std::unique_ptr<OGRCoordinateTransformation> proj(OGRCreateCoordinateTransformation(&utm, &wgs84));
    double x = 480000 + 101.75 * 2, y = 5300000 - 40.75 * 2;
    ASSERT_TRUE(proj->Transform(1, &x, &y));
    char at[64];
    std::snprintf(at, sizeof at, "%.9f,%.9f", y, x);

    const TCliRun run = RunCli({"info", QString::fromStdString(path), "--at", at});
    ASSERT_EQ(run.code, 0) << run.err;
    for (const char *line : {"Driver: GTiff\n", "CRS: EPSG:32632\n", "SourceSize: 300 x 200\n", "Spacing: 2 x 2 m\n",
                             "GridHigh: 299\n", "MinHeight: 1200\n", "MaxHeight: 1349.5\n", "HeightAt: 1250.5\n"})
        EXPECT_NE(run.out.find(line), std::string::npos) << line << " not in\n" << run.out;
    EXPECT_EQ(run.out.find("ReadAt"), std::string::npos);

    // Nothing but no-data at a fine step: no height to show, not the placeholders in metres.
    GDALDataset *voids = GetGDALDriverManager()->GetDriverByName("GTiff")->Create(dir.Path("voids.tif").c_str(), 300, 200, 1,
                                                                                  GDT_Float32, nullptr);
    voids->SetGeoTransform(gt);
    voids->GetRasterBand(1)->SetNoDataValue(-9999);
    voids->GetRasterBand(1)->Fill(-9999);
    GDALClose(voids);
    const TCliRun empty = RunCli({"info", QString::fromStdString(dir.Path("voids.tif"))});
    ASSERT_EQ(empty.code, 0) << empty.err;
    EXPECT_NE(empty.out.find("MinHeight: none\nMaxHeight: none\n"), std::string::npos) << empty.out;

    const TCliRun off = RunCli({"info", QString::fromStdString(path), "--at", "47.9,9.5"});
    EXPECT_EQ(off.code, 1);
    EXPECT_NE(off.err.find("is not on the terrain"), std::string::npos) << off.err;
    const TCliRun wrong = RunCli({"info", QString::fromStdString(path), "--at", "47.9N"});
    EXPECT_EQ(wrong.code, 1);
    EXPECT_NE(wrong.err.find("--at must be LAT,LON"), std::string::npos) << wrong.err;
}
