// How the terrain square is drawn: the one rule for its proportions and the
// height of its relief. The mesh, the picking, the placemarks and the
// overlays all stay on the square (TTerrain's world); the view's model-view
// matrix stretches the square by this, and the prints use the same numbers.
#pragma once

class TTerrain;

struct TDrawnScale {
    double X = 1;   // world X (west–east) is drawn × X
    double Z = 1;   // world Z (north–south) is drawn × Z
    float Y = 1;    // world heights are drawn × Y, besides the vertical scale
    // What the level-of-detail refinement weighs a metre of roughness by:
    // how much steeper relief is drawn per lattice step than on the square.
    float Roughness = 1;

    bool Square() const { return X == 1 && Z == 1; }
};

// Square: a degree of latitude as long as one of longitude, a block of k × k
// tiles filling the square of one tile with its heights at 1/k, so its
// relief stays as steep as in its own tiles; a raster spanning more degrees
// one way than the other fills the square with its longer side. True proportions: the terrain's
// real width and depth in metres, the longer side as long as the square, and
// a metre up as long as a metre across (the vertical scale 1 is true relief).
// Grids in projected coordinates are always drawn in their own metres.
TDrawnScale DrawnScaleOf(const TTerrain &terrain, bool trueProportions);
