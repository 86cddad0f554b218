#include "TopoViewCLOD.h"

#include <qopengl.h>

void TTopoViewCLOD::InitGL()
{
    TTopoView::InitGL();
    C = 15.0f;
    SmallC = 1.0f;
}

void TTopoViewCLOD::BuildMesh(int size)
{
    if (Terrain.Empty()) {
        WorldSize = size;
        ClearMesh();
        return;
    }
    BuildLod(Terrain, size, Vertices, TexCoords, [this](float fraction) { DoProgress(fraction); });
}

void TTopoViewCLOD::DrawTerrain()
{
    glVertexPointer(3, GL_FLOAT, sizeof(TVertex3f), Vertices.data());
    glTexCoordPointer(2, GL_FLOAT, sizeof(TTexCoord2f), TexCoords.data());
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    if (!Vertices.empty())
        glDrawArrays(GL_TRIANGLES, 0, GLsizei(Vertices.size()));
}
