#include "DrawnScale.h"

#include "Terrain.h"

#include <algorithm>
#include <cmath>

TDrawnScale DrawnScaleOf(const TTerrain &terrain, bool trueProportions)
{
    const TGeoReference &geo = terrain.GeoRef;
    TDrawnScale drawn;
    if (!trueProportions && geo.Geographic()) {
        const double northSouth = geo.LatitudeSpan(), eastWest = geo.LongitudeSpan();
        const double span = std::max(northSouth, eastWest);
        drawn.Y = span > 0 ? 1.0f / static_cast<float>(span) : 1.0f;
        // A raster longer one way than the other keeps its shape in degrees,
        // as a tile does: the square holds its longer side.
        if (northSouth > 0 && eastWest > 0 && northSouth != eastWest) {
            drawn.X = eastWest / span;
            drawn.Z = northSouth / span;
            drawn.Roughness = static_cast<float>(1.0 / std::min(drawn.X, drawn.Z));
        }
        return drawn;
    }
    const double northSouth = geo.NorthSouthMetres();
    const double eastWest = northSouth * geo.EastWestRatio();
    const double longer = std::max(northSouth, eastWest);
    // A grid of one sample or without a georeference has no extent to keep.
    if (!(longer > 0) || !std::isfinite(longer))
        return drawn;
    drawn.X = eastWest / longer;
    drawn.Z = northSouth / longer;
    const double size = terrain.WorldSize > 0 ? terrain.WorldSize : 1;
    drawn.Y = static_cast<float>(size / (longer * TTerrain::HeightScale));
    // The mesh is built once for every vertical scale, and the slider
    // commonly exaggerates true relief several times: never coarser than the
    // square's picture, finer where a small area's relief is drawn steeper.
    drawn.Roughness = static_cast<float>(std::max(1.0, drawn.Y / std::min(drawn.X, drawn.Z)));
    return drawn;
}
