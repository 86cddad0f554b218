#include "MetricSurface.h"

#include "Terrain.h"

#include <cmath>
#include <numbers>

void ConvertToMetres(TSurfaceMesh &surface, const TGeoFrame &frame)
{
    const double size = surface.WorldSize > 0 ? surface.WorldSize : 1;
    const double half = size / 2;
    const double north = frame.NorthSouthMetres / size;
    const double east = north * frame.EastWestRatio;
    const double up = frame.VerticalScale / TTerrain::HeightScale;
    for (TVertex3f &p : surface.Positions)
        p = {float((p.X + half) * east), float(p.Y * up), float(-(half - p.Z) * north)};
    // The view's coordinates run −1 … 0 and repeat; one period further on they
    // cover the texture once.
    for (TTexCoord2f &t : surface.TexCoords)
        t = {t.S + 1, t.T + 1};
}
