// Exports the mesh a view draws as a 3D model, the kind chosen by the file
// name's extension:
//   .stl (binary), .3mf  a closed solid for printing (PrintSolid.h), millimetres;
//   .obj (+ .mtl and the texture as NAME_terrain.jpg), .glb (texture inside)
//                        the textured surface in real metres (MetricSurface.h),
//                        with the view's scene lines draped on it as lines.
// Every file of a set appears complete or not at all, and a failure leaves
// the older files as they were (StagedFiles.h).
#pragma once

#include "PrintSolid.h"

#include <cstddef>
#include <functional>
#include <string>

class TGLBMP;
class TTopoView;

struct TMeshExportSettings {
    TPrintSize Print;          // for .stl and .3mf; the drawn scale comes from the view
    double VerticalScale = 1;  // heights × this, for every kind
    bool FillVoids = false;    // voids filled from their edges (VoidFill.h) rather than pits
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
// Throws ETerrainError naming the file concerned (`out` or a file of its set)
// on any failure, with the system's reason for a failed write; nothing is
// written then. Refused before any work: a terrain of voids only, and a
// model that would need more memory than the machine has (ExportMemory.h).
TMeshExportResult ExportViewMesh(const TTopoView &view, const TGLBMP &texture, const std::string &out,
                    const TMeshExportSettings &settings, const std::function<void(float)> &progress = {});
