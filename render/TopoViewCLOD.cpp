#include "TopoViewCLOD.h"

#include "DrapedLine.h"

#include <qopengl.h>

void TTopoViewCLOD::InitGL()
{
    TTopoView::InitGL();
    C = 15.0f;
    SmallC = 1.0f;
}

void TTopoViewCLOD::BuildMesh(int size)
{
    // The drawn relief depends on the square's size.
    WorldSize = size;
    if (Terrain.Empty()) {
        ClearMesh();
        return;
    }
    RoughnessWeight = DrawnScale().Roughness;
    BuildLod(Terrain, size, Vertices, TexCoords, [this](float fraction) { DoProgress(fraction); });
    ContentChanged();
}

void TTopoViewCLOD::DrawTerrain()
{
    DrawMeshArrays(GL_TRIANGLES);
}

std::unique_ptr<TDrawnSurface> TTopoViewCLOD::DrawnSurface() const
{
    return TriangleListSurface(Vertices);
}
