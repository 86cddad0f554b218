// Lines laid on the terrain as a view draws it. A line is cut where it
// leaves the drawn surface and broken wherever it crosses an edge of the
// surface's triangles, so between two of its points it runs inside one
// triangle and follows the ground exactly: it neither cuts through a ridge
// nor hangs over a valley, whatever the mesh (the uniform quads or the
// level-of-detail triangles). Heights are world units before the vertical
// scale, so one draped line serves every scale.
#pragma once

#include "Overlay.h"
#include "TopoView.h"

#include <array>
#include <memory>
#include <vector>

class TTerrain;

struct TSurfaceTriangle {
    TVertex3f A, B, C;
};

// The ground as drawn.
class TDrawnSurface {
public:
    virtual ~TDrawnSurface() = default;
    // The rectangle the triangles cover: west, north, east, south edge
    // (minimum X, minimum Z, maximum X, maximum Z).
    virtual std::array<double, 4> Extent() const = 0;
    // Appends every triangle that may reach into the rectangle.
    virtual void TrianglesNear(double x0, double z0, double x1, double z1, std::vector<TSurfaceTriangle> &out) const = 0;
    // Lines are looked at in pieces no longer than this, so a piece meets
    // only a handful of triangles.
    virtual double PieceLength() const = 0;
};

// The uniform quad mesh of the base and vertex-buffer views, read from the
// terrain the way the mesh samples it. Drivers split a quad along either
// diagonal: a point takes the higher of the two, so a line never sinks into
// the quad whichever way it was split.
std::unique_ptr<TDrawnSurface> QuadMeshSurface(const TTerrain &terrain, int resolution, int worldSize);

// A triangle list: three positions a triangle, or three `indices` a triangle
// when they are given. The positions and indices must outlive the surface.
std::unique_ptr<TDrawnSurface> TriangleListSurface(const std::vector<TVertex3f> &positions,
                                                   const std::vector<uint32_t> *indices = nullptr);

// Draped lines ready to draw: strips of points in one array.
struct TDrapedLines {
    struct TStrip {
        size_t First = 0, Count = 0;
        TOverlayColor Color;
        float WidthPixels = 3;
    };
    std::vector<TVertex3f> Points;  // world units, heights before the vertical scale
    std::vector<TStrip> Strips;
};

// Places the lines' points through the terrain's georeference and drapes
// them. Points closer than `tolerance` world units to the path without them
// are dropped first (a GPS track records far more points than the ground
// has samples); parts that cannot be placed or lie off the surface are not
// drawn.
TDrapedLines DrapeOverlayLines(const std::vector<TOverlayLine> &lines, const TTerrain &terrain,
                               const TDrawnSurface &surface, double tolerance);

// The tolerance that keeps a line within a quarter of the grid's spacing.
double DrapeTolerance(const TTerrain &terrain);
