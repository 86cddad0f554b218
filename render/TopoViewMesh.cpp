// The brute-force mesh: every grid cell of the mesh resolution is one
// textured quad, kept in client memory and drawn with one array call.
#include "TopoView.h"

#include "QuadMesh.h"

#include <qopengl.h>

void TTopoView::BuildMesh(int size)
{
    const long long count = QuadMeshVertexCount(Resolution);
    Vertices.clear();
    TexCoords.clear();
    Vertices.reserve(size_t(count));
    TexCoords.reserve(size_t(count));
    WorldSize = size;
    BuildQuadMesh(
        Terrain, Resolution, size,
        [this](const TQuadMeshVertex &v) {
            Vertices.push_back({v.X, v.Y, v.Z});
            TexCoords.push_back({v.S, v.T});
        },
        [this](float fraction) { DoProgress(fraction); });
    ContentChanged();
}

void TTopoView::DrawTerrain()
{
    DrawMeshArrays(GL_QUADS);
}

void TTopoView::DrawMeshArrays(unsigned primitive)
{
    glVertexPointer(3, GL_FLOAT, sizeof(TVertex3f), Vertices.data());
    glTexCoordPointer(2, GL_FLOAT, sizeof(TTexCoord2f), TexCoords.data());
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    if (!Vertices.empty())
        glDrawArrays(primitive, 0, GLsizei(Vertices.size()));
}
