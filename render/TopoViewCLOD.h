// The level-of-detail terrain view: instead of the base view's uniform quads
// it draws a triangle mesh whose density follows the roughness of the
// terrain. The quadtree is refined once per tile, inside BuildMesh; camera
// movement never changes the mesh, and each frame is one array draw of the
// stored triangle list (Vertices/TexCoords, three entries per triangle).
#pragma once

#include "QuadTreeMatrix.h"
#include "TopoView.h"

class TTopoViewCLOD : public TTopoView, public TQuadTreeLod {
public:
    void DrawTerrain() override;
    // The base context, then C := 15 and SmallC := 1; the owner sets both
    // from its options afterwards.
    void InitGL() override;
    // Refines the lattice over the loaded grid for a terrain square of edge
    // `size`; without a grid the mesh stays empty.
    void BuildMesh(int size) override;
    // The triangle list as drawn.
    std::unique_ptr<TDrawnSurface> DrawnSurface() const override;
};
