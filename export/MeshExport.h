// Exports the mesh a view draws as a 3D model, the kind chosen by the file
// name's extension:
//   .stl (binary), .3mf  a closed solid for printing (PrintSolid.h), millimetres;
//   .obj (+ .mtl and the texture as NAME_terrain.jpg), .glb (texture inside)
//                        the textured surface in real metres (MetricSurface.h).
// Every file appears complete or not at all (StagedFiles.h).
#pragma once

#include "PrintSolid.h"

#include <cstddef>
#include <functional>
#include <string>

class TGLBMP;
class TTopoView;

struct TMeshExportSettings {
    TPrintSize Print;          // for .stl and .3mf; HeightDrawScale comes from the view
    double VerticalScale = 1;  // heights × this, for every kind
};

struct TMeshExportResult {
    size_t SurfaceTriangles = 0;  // as the view draws them
    size_t Triangles = 0;         // in the file: with the walls and the bottom of a solid
};

// True for the extensions above, compared without regard to case.
bool IsModelFileName(const std::string &fileName);

// The companion texture of an .obj: "x.obj" gives "x_terrain.jpg".
std::string ObjTextureName(const std::string &objFile);

// `texture` is the picture the view textures its mesh with (its pixels as
// uploaded: what "Save Texture" writes). Progress 0 … 1 goes to `progress`.
// Throws ETerrainError naming `out` on any failure; nothing is written then.
TMeshExportResult ExportViewMesh(const TTopoView &view, const TGLBMP &texture, const std::string &out,
                    const TMeshExportSettings &settings, const std::function<void(float)> &progress = {});
