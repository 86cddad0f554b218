// The terrain surface in real metres for 3D tools, textured as the view
// textures it: a model with true proportions rather than the view's world
// units, which squeeze a degree into the terrain square.
#pragma once

#include "GeoReference.h"
#include "MeshSurface.h"

// How large the surface is on the ground and how tall it is drawn.
struct TGeoFrame {
    double NorthSouthMetres = MetresPerDegree;  // the square's north–south edge
    double EastWestRatio = 1;  // its west–east edge per metre of that
    double VerticalScale = 1;  // 1: true heights
};

// In place: X east and −Z north in metres from the south-west corner (a
// degree of longitude shrunk by the cosine of the latitude at the middle of
// the square), Y the height in metres × VerticalScale, so Y stays up and the
// triangles keep facing it. Texture coordinates move into 0 … 1 with V
// upward (north), the convention of the model writers: the north-west corner
// of the terrain takes the top-left corner of the texture.
void ConvertToMetres(TSurfaceMesh &surface, const TGeoFrame &frame);
