// Copernicus DEM tiles, alone and in blocks: where every sample lies, the
// columns resampled near the poles, voids, the sea of missing tiles, and the
// light compared with the .hgt of the same heights.
#include "Terrain.h"
#include "TerrainError.h"
#include "TerrainReaders.h"
#include "TerrainSource.h"
#include "TestFiles.h"

#include <gdal_priv.h>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace {

using THeightAt = std::function<float(int col, int row)>;

// A tile laid out as the product delivers it: `rows` × `cols` Float32
// points, the first on the north-west corner, no sample on the southern and
// eastern edges, GDAL's geotransform half a sample outside the corner.
std::string WriteCopernicusLike(const TestDir &dir, int south, int west, int rows, int cols, const THeightAt &height,
                                int bands = 1)
{
    GDALAllRegister();
    char name[96];
    std::snprintf(name, sizeof name, "Copernicus_DSM_COG_10_%c%02d_00_%c%03d_00_DEM.tif", south >= 0 ? 'N' : 'S',
                  std::abs(south), west >= 0 ? 'E' : 'W', std::abs(west));
    const std::string path = dir.Path(name);
    GDALDriver *gtiff = GetGDALDriverManager()->GetDriverByName("GTiff");
    const char *options[] = {"TILED=YES", nullptr};
    GDALDataset *ds = gtiff->Create(path.c_str(), cols, rows, bands, GDT_Float32, const_cast<char **>(options));
    double gt[6] = {west - 0.5 / cols, 1.0 / cols, 0, south + 1 + 0.5 / rows, 0, -1.0 / rows};
    ds->SetGeoTransform(gt);
    ds->SetMetadataItem("AREA_OR_POINT", "Point");
    std::vector<float> values(static_cast<size_t>(rows) * cols);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c)
            values[static_cast<size_t>(r) * cols + c] = height(c, r);
    EXPECT_EQ(ds->GetRasterBand(1)->RasterIO(GF_Write, 0, 0, cols, rows, values.data(), cols, rows, GDT_Float32, 0, 0,
                                             nullptr),
              CE_None);
    GDALClose(ds);
    return path;
}

TTerrain Load(const std::vector<std::string> &files)
{
    TTerrain t;
    TerrainSourceFor(files)->LoadInto(t);
    return t;
}

// One landscape over 40° … 42° N, 10° … 12° E at 1/N° a sample, indexed from
// its north-west corner: every tile is cut from it.
constexpr int N = 360;
int16_t Land(int col, int row)
{
    return static_cast<int16_t>(std::lround(800 + 500 * std::sin(col * 0.011) * std::cos(row * 0.017) + (col * 7 + row) % 13));
}

}  // namespace

TEST(CopernicusTile, EverySampleLiesAtItsLatitudeAndLongitudeAndPolarColumnsAreResampled)
{
    TestDir dir;
    // Below 50°: as many columns as rows; a NaN border becomes voids.
    const std::string tile = WriteCopernicusLike(dir, 47, 8, N, N, [](int c, int r) {
        return r == N - 1 ? NAN : static_cast<float>(Land(c, r)) + 0.4f;
    });
    ASSERT_NE(ReaderFor(tile), nullptr);
    EXPECT_EQ(ReaderFor(tile)->Name, "Copernicus DEM Tiles");
    const TTerrain t = Load({tile});
    ASSERT_EQ(t.GridHigh, N - 1);
    EXPECT_FALSE(t.HgtLoaded);
    EXPECT_EQ(t.Heights(5, 7), Land(5, 7));
    EXPECT_EQ(t.Heights(3, N - 1), TSIArray::Void);
    for (const auto &[c, r] : {std::pair(0, 0), std::pair(N - 1, 0), std::pair(17, N - 1), std::pair(N - 1, N - 1)}) {
        const TLatLon p = t.GeoRef.LatLonAt(c, r);
        EXPECT_NEAR(p.Lat, 48.0 - r / double(N), 1e-9) << c << ", " << r;
        EXPECT_NEAR(p.Lon, 8.0 + c / double(N), 1e-9) << c << ", " << r;
    }

    // At 65° N a third of the columns: widened to N by bilinear steps, heights
    // rising one metre a column of the grid, so each sample says where it lies.
    const std::string polar = WriteCopernicusLike(dir, 65, 8, N, N / 3, [](int c, int) { return 3.0f * c; });
    const TTerrain p = Load({polar});
    ASSERT_EQ(p.GridHigh, N - 1);
    for (int c = 0; c < N - 3; ++c)
        ASSERT_EQ(p.Heights(c, 10), c) << c;
    EXPECT_EQ(p.Heights(N - 1, 10), 3 * (N / 3 - 1));  // beyond the last column: its value
    EXPECT_NEAR(p.GeoRef.LatLonAt(N - 1, 0).Lon, 8.0 + (N - 1) / double(N), 1e-9);
    EXPECT_NEAR(p.GeoRef.LatLonAt(0, N - 1).Lat, 66.0 - (N - 1) / double(N), 1e-9);

    // A picture named like a tile is refused, and the terrain stays.
    const std::string rgb = WriteCopernicusLike(dir, 10, 10, 8, 8, [](int, int) { return 1.0f; }, 3);
    TTerrain kept = p;
    try {
        TerrainSourceFor({rgb})->LoadInto(kept);
        ADD_FAILURE() << "a picture was taken for a tile";
    } catch (const ETerrainError &e) {
        EXPECT_EQ(e.FullMessage(), rgb + ": is no Copernicus DEM tile: it has 3 bands where a tile has one");
    }
    EXPECT_EQ(kept.Heights(5, 10), 5);
}

TEST(CopernicusTile, ATwoByTwoBlockHasNoSeamNoRepeatedEdgeAndSeaForAMissingTile)
{
    TestDir dir;
    std::vector<std::string> files;
    for (int south : {40, 41})
        for (int west : {10, 11}) {
            if (south == 40 && west == 11)
                continue;  // open sea
            const int row0 = (41 - south) * N, col0 = (west - 10) * N;
            files.push_back(WriteCopernicusLike(dir, south, west, N, N, [=](int c, int r) {
                return static_cast<float>(Land(col0 + c, row0 + r));
            }));
        }
    const TTerrain t = Load(files);
    ASSERT_EQ(t.GridHigh, 2 * N - 1);
    EXPECT_FALSE(t.HgtLoaded);
    EXPECT_EQ(t.FileName, "N40E010 \u2013 N41E011");
    int wrong = 0;
    for (int r = 0; r < 2 * N; ++r)
        for (int c = 0; c < 2 * N; ++c)
            wrong += t.Heights(c, r) != (r >= N && c >= N ? 0 : Land(c, r));
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(t.MinHeight, 0);
    for (const auto &[c, r] : {std::pair(0, 0), std::pair(N, N - 1), std::pair(N - 1, N), std::pair(2 * N - 1, 2 * N - 1)}) {
        const TLatLon p = t.GeoRef.LatLonAt(c, r);
        EXPECT_NEAR(p.Lat, 42.0 - r / double(N), 1e-9) << c << ", " << r;
        EXPECT_NEAR(p.Lon, 10.0 + c / double(N), 1e-9) << c << ", " << r;
    }

    // A tile that is not where its name says cannot be put in its place; nor can an SRTM tile join.
    const std::string astray = dir.Path("Copernicus_DSM_COG_10_N41_00_E012_00_DEM.tif");
    std::rename(files[0].c_str(), astray.c_str());
    try {
        Load({astray, files[1]});
        ADD_FAILURE() << "a misplaced tile was taken";
    } catch (const ETerrainError &e) {
        EXPECT_EQ(e.FullMessage(), astray + ": its georeference does not put it where its name says; a block places "
                                            "its tiles by their names");
    }
    const std::string hgt = WriteHgt(dir, "N40E011.hgt", 1201, [](int, int) { return int16_t(1); });
    EXPECT_THROW(Load({files[1], hgt}), ETerrainError);
}

// The same heights as a 3601 .hgt and as a Copernicus tile (which leaves out
// the southern row and the eastern column) give the same light and colours.
// At the equator, where a degree of longitude is as long as one of latitude.
TEST(CopernicusTile, ShadesLikeTheHgtOfTheSameHeights)
{
    TestDir dir;
    constexpr int n = 3600;
    const auto land = [](int c, int r) {
        return static_cast<int16_t>(std::lround(1500 + 900 * std::sin(c * 0.004) * std::cos(r * 0.003) + 40 * std::sin(c * 0.05 + r * 0.07)));
    };
    TTerrain hgt = Load({WriteHgt(dir, "N00E010.hgt", n + 1, land)});
    TTerrain cop = Load({WriteCopernicusLike(dir, 0, 10, n, n, [&](int c, int r) { return float(land(c, r)); })});
    hgt.Resolution = n;      // one texel a sample
    cop.Resolution = n - 1;
    hgt.BuildTexture();
    cop.BuildTexture();
    int worst = 0;
    for (int y = 1; y < n - 2; y += 7)
        for (int x = 1; x < n - 2; ++x) {
            const QRgb a = hgt.TextureBitmap.pixel(x, y), b = cop.TextureBitmap.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                              std::abs(qBlue(a) - qBlue(b))});
        }
    EXPECT_LE(worst, 1);
}
