#include "MeshSurface.h"

#include "QuadTreeMatrix.h"
#include "StepProgress.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Every point of the level-of-detail mesh lies on a regular lattice over the
// square, so a point's lattice cell identifies it: no hashing of coordinates, and the
// copies of a point (computed by the same expression) always meet.
class TWelder {
public:
    TWelder(TSurfaceMesh &mesh, int steps, size_t triangles)
        : mesh_(mesh), steps_(steps), half_(float(mesh.WorldSize) / 2),
          perUnit_(float(steps) / float(std::max(mesh.WorldSize, 1))),
          slots_(size_t(steps + 1) * size_t(steps + 1), Unused)
    {
        mesh_.Triangles.reserve(triangles * 3);
    }

    uint32_t Add(const TVertex3f &p, const TTexCoord2f &t)
    {
        const size_t slot = size_t(Cell(p.X)) * size_t(steps_ + 1) + size_t(Cell(p.Z));
        uint32_t &index = slots_[slot];
        if (index == Unused) {
            index = uint32_t(mesh_.Positions.size());
            mesh_.Positions.push_back(p);
            mesh_.TexCoords.push_back(t);
        }
        return index;
    }

    void Triangle(uint32_t a, uint32_t b, uint32_t c) { mesh_.Triangles.insert(mesh_.Triangles.end(), {a, b, c}); }

private:
    static constexpr uint32_t Unused = std::numeric_limits<uint32_t>::max();

    int Cell(float coordinate) const
    {
        return std::clamp(int(std::lround((coordinate + half_) * perUnit_)), 0, steps_);
    }

    TSurfaceMesh &mesh_;
    int steps_;
    float half_, perUnit_;
    std::vector<uint32_t> slots_;
};

// The base views' lattice: point (i, j) at column i, row j of `points`² from
// edge to edge, its height sampled at the grid sample the views would take.
void LatticeSurface(const TTopoView &view, int points, TSurfaceMesh &mesh, const std::function<void(float)> &progress)
{
    const TTerrain &terrain = view.Terrain;
    const float size = float(view.WorldSize), half = size / 2;
    const int cells = points - 1;
    mesh.Positions.reserve(size_t(points) * size_t(points));
    mesh.TexCoords.reserve(size_t(points) * size_t(points));
    mesh.Triangles.reserve(6 * size_t(cells) * size_t(cells));
    TStepProgress step(progress, size_t(points));
    for (int i = 0; i < points; ++i) {
        const auto column = float(int64_t(i) * terrain.GridHigh / cells);
        const float x = float(i) / float(cells) * size - half;
        for (int j = 0; j < points; ++j) {
            const float z = float(j) / float(cells) * size - half;
            mesh.Positions.push_back({x, terrain.SampleHeight(column, float(int64_t(j) * terrain.GridHigh / cells)), z});
            // The views' convention: −1 … 0, the texture repeating.
            mesh.TexCoords.push_back({(x - half) / size, (-z - half) / size});
        }
        step.At(size_t(i));
    }
    // Cell column by cell column, as the views draw them.
    for (int i = 0; i < cells; ++i)
        for (int j = 0; j < cells; ++j) {
            const auto q0 = uint32_t(i * points + j), q1 = q0 + 1, q3 = q0 + uint32_t(points), q2 = q3 + 1;
            mesh.Triangles.insert(mesh.Triangles.end(), {q0, q1, q3, q1, q2, q3});
        }
}

} // namespace

TSurfaceSize ViewSurfaceSize(const TTopoView &view)
{
    if (dynamic_cast<const TQuadTreeLod *>(&view))
        return {view.Vertices.size(), view.Vertices.size() / 3};
    const uint64_t r = view.Resolution < 2 ? 0 : uint64_t(view.Resolution);
    return {r * r, r < 2 ? 0 : 2 * (r - 1) * (r - 1)};
}

TSurfaceMesh ViewSurface(const TTopoView &view, const std::function<void(float)> &progress)
{
    TSurfaceMesh mesh;
    mesh.WorldSize = view.WorldSize;
    if (const auto *lod = dynamic_cast<const TQuadTreeLod *>(&view)) {
        const auto &v = view.Vertices;
        const auto &t = view.TexCoords;
        TWelder welder(mesh, lod->LatticeSize - 1, v.size() / 3);
        TStepProgress step(progress, v.size());
        for (size_t i = 0; i + 2 < v.size(); i += 3) {
            welder.Triangle(welder.Add(v[i], t[i]), welder.Add(v[i + 1], t[i + 1]), welder.Add(v[i + 2], t[i + 2]));
            step.At(i);
        }
        return mesh;
    }
    if (view.Resolution >= 2 && !view.Terrain.Empty())
        LatticeSurface(view, view.Resolution, mesh, progress);
    return mesh;
}

void RaiseVoids(TSurfaceMesh &surface, const TTerrain &terrain, const TSIArray &filled)
{
    const float voidHeight = terrain.SampleHeight(-1, -1);
    const float high = float(terrain.GridHigh);
    const float perUnit = surface.WorldSize > 0 ? high / float(surface.WorldSize) : 0;
    const float half = float(surface.WorldSize) / 2;
    for (TVertex3f &p : surface.Positions) {
        if (p.Y != voidHeight)
            continue;
        const int col = std::clamp(int((p.X + half) * perUnit), 0, terrain.GridHigh);
        const int row = std::clamp(int((p.Z + half) * perUnit), 0, terrain.GridHigh);
        p.Y = float(terrain.Metres(filled(col, row)) * 0.006);
    }
}
