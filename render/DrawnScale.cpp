#include "DrawnScale.h"

#include "Terrain.h"

#include <algorithm>
#include <cmath>

TDrawnScale DrawnScaleOf(const TTerrain &terrain, bool trueProportions)
{
    const TGeoReference &geo = terrain.GeoRef;
    TDrawnScale drawn;
    if (!trueProportions && geo.Geographic()) {
        const double span = geo.LatitudeSpan();
        drawn.Y = span > 0 ? 1.0f / static_cast<float>(span) : 1.0f;
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
