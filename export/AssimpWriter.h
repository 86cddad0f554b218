// Writes a triangle mesh through Assimp's exporters: 3MF for printing, and
// Wavefront OBJ and binary glTF 2.0 for 3D tools (binary STL too, though the
// export writes that itself: see StlWriter.h).
#pragma once

#include "TopoView.h"

#include <QByteArray>

#include <cstdint>
#include <string>
#include <vector>

struct TModelData {
    const std::vector<TVertex3f> *Points = nullptr;
    const std::vector<uint32_t> *Triangles = nullptr;     // three indices each, counter-clockwise
    const std::vector<TTexCoord2f> *TexCoords = nullptr;  // 0 … 1, V up; none when null
    // The texture: a JPEG file named here (beside an .obj), or JPEG bytes
    // carried inside the model (.glb); neither when both are empty.
    std::string TextureFile;
    QByteArray EmbeddedJpeg;
};

// Assimp's format ids: "3mf", "obj", "glb2", "stlb".
// Throws ETerrainError naming `path` with Assimp's reason when it fails.
void WriteWithAssimp(const TModelData &model, const char *formatId, const std::string &path);
