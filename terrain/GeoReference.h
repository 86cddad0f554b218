// Where the samples of a terrain's grid lie on the Earth: the one place that
// knows it. Read-outs, picking, placemarks, tracks, profiles and exports ask
// it; nothing else does trigonometry on degrees.
//
// The grid is square, (High + 1)² samples, column 0 the western edge and row
// 0 the northern. Sample (col, row) lies at
//     X = A[0] + col·A[1] + row·A[2],   Y = A[3] + col·A[4] + row·A[5]
// in the raster's coordinate system (GDAL's geotransform applied to sample
// positions, not pixel corners): longitude and latitude in degrees for
// geographic grids, easting and northing for projected ones.
#pragma once

#include "TilePos.h"

#include <array>
#include <memory>
#include <optional>
#include <string>

class TGeoReference {
public:
    // A grid of `high` + 1 samples a side spanning `span` degrees from its
    // south-west corner: a tile (span 1), a block of tiles, or a heightmap
    // named like no tile (corner 0, 0): every position as tiles always had.
    static TGeoReference ForTiles(double southLat, double westLon, double span, int high);
    // A raster's grid: `affine` as above, `wkt` its coordinate system
    // (empty: longitude and latitude on WGS 84). Throws ETerrainError when
    // the system cannot be converted to latitude and longitude.
    static TGeoReference ForRaster(const std::array<double, 6> &affine, const std::string &wkt, int high);

    int High() const { return high_; }
    const std::array<double, 6> &Affine() const { return affine_; }
    // Latitude and longitude grids (tiles, Copernicus, most global models).
    bool Geographic() const { return !projection_; }
    // Laid out like tiles: one sample spacing in degrees on both axes,
    // north up. Such grids keep the tiles' numbers to the last bit.
    bool TileLike() const { return tiles_; }
    // A grid laid out like tiles: its south-west corner and the degrees one
    // edge spans (1 for a tile, k for a block of k × k).
    double SouthLat() const { return southLat_; }
    double WestLon() const { return westLon_; }
    double Span() const { return span_; }
    // "EPSG:32632", or the system's name when it has no code.
    std::string CrsName() const;

    // Grid position (fractional column and row) ↔ latitude and longitude.
    TLatLon LatLonAt(double col, double row) const;
    // Empty where the point cannot be converted (far outside a projection).
    std::optional<std::array<double, 2>> GridAt(const TLatLon &p) const;

    // The same through the fractions of the square the grid is drawn on:
    // east 0 at the western edge … 1 at the eastern, north 0 at the southern
    // … 1 at the northern edge.
    TLatLon LatLonAtFraction(double east, double north) const;
    std::optional<std::array<double, 2>> FractionAt(const TLatLon &p) const;

    // Metres between neighbouring samples along a row (west–east) and along
    // a column (north–south), measured at the grid's centre.
    double SpacingX() const { return spacingX_; }
    double SpacingY() const { return spacingY_; }
    // The same as the grid's own axes measure them, a degree of longitude as
    // long as one of latitude (MetresPerDegree): the grid's proportions, not
    // the ground's. Projected grids: SpacingX and SpacingY.
    double AxisSpacingX() const;
    double AxisSpacingY() const;
    double WidthMetres() const { return spacingX_ * high_; }
    double HeightMetres() const { return spacingY_ * high_; }
    // Degrees of latitude from the southern to the northern edge (geographic
    // grids; 0 for projected ones): what a block of k tiles divides its
    // drawn heights by.
    double LatitudeSpan() const;
    // Degrees of longitude from the western to the eastern edge, likewise.
    double LongitudeSpan() const;
    // The square's north–south edge in metres, and its west–east edge per
    // metre of that: how a square grid stretches back to the ground.
    double NorthSouthMetres() const;
    double EastWestRatio() const;

private:
    struct TProjection;
    int high_ = 0;
    std::array<double, 6> affine_{0, 1, 0, 1, 0, -1};
    bool tiles_ = true;
    // Tiles: south-west corner and degrees spanned, kept as given so that
    // positions come out exactly as they always did.
    double southLat_ = 0, westLon_ = 0, span_ = 1;
    double spacingX_ = 0, spacingY_ = 0;
    std::shared_ptr<const TProjection> projection_;  // none: geographic
    std::string geographicName_ = "EPSG:4326";       // the system of a geographic grid
};

// Metres along a degree of latitude (and of longitude at the equator): the
// sphere the tiles' spacing and the metric exports have always used.
inline constexpr double MetresPerDegree = 111320.0;
