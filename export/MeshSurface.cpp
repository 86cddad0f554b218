#include "MeshSurface.h"

#include "QuadMesh.h"
#include "QuadTreeMatrix.h"
#include "TopoViewVBO.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Every point of either mesh lies on a regular lattice over the square, so a
// point's lattice cell identifies it: no hashing of coordinates, and the
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

// Progress about fifty times over `total` items.
class TStepProgress {
public:
    TStepProgress(const std::function<void(float)> &progress, size_t total)
        : progress_(progress), total_(std::max<size_t>(total, 1)), every_(std::max<size_t>(total_ / 50, 1))
    {
        if (progress_)
            progress_(0);
    }
    void At(size_t done)
    {
        if (progress_ && done % every_ == 0)
            progress_(float(double(done) / double(total_)));
    }
    ~TStepProgress()
    {
        if (progress_)
            progress_(1);
    }

private:
    const std::function<void(float)> &progress_;
    size_t total_, every_;
};

// The GL driver draws quad 0, 1, 2, 3 as the triangles 0, 1, 3 and 1, 2, 3.
void AddQuad(TWelder &welder, const uint32_t q[4])
{
    welder.Triangle(q[0], q[1], q[3]);
    welder.Triangle(q[1], q[2], q[3]);
}

void QuadsFromArrays(const TTopoView &view, TWelder &welder, TStepProgress &step)
{
    const auto &v = view.Vertices;
    const auto &t = view.TexCoords;
    for (size_t i = 0; i + 3 < v.size(); i += 4) {
        const uint32_t q[4] = {welder.Add(v[i], t[i]), welder.Add(v[i + 1], t[i + 1]), welder.Add(v[i + 2], t[i + 2]),
                               welder.Add(v[i + 3], t[i + 3])};
        AddQuad(welder, q);
        step.At(i / 4);
    }
}

void QuadsBuiltAgain(const TTopoView &view, TWelder &welder, const std::function<void(float)> &progress)
{
    uint32_t q[4];
    int corner = 0;
    BuildQuadMesh(
        view.Terrain, view.Resolution, view.WorldSize,
        [&](const TQuadMeshVertex &v) {
            q[corner++] = welder.Add({v.X, v.Y, v.Z}, {v.S, v.T});
            if (corner == 4) {
                AddQuad(welder, q);
                corner = 0;
            }
        },
        [&progress](float fraction) {
            if (progress)
                progress(fraction);
        });
}

} // namespace

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
    // The base mesh's points: column i at i / Resolution of the square.
    const int resolution = std::max(view.Resolution, 1);
    const auto *vbo = dynamic_cast<const TTopoViewVBO *>(&view);
    if (vbo && vbo->MeshInBuffer()) {
        TWelder welder(mesh, resolution, size_t(QuadMeshVertexCount(resolution) / 2));
        QuadsBuiltAgain(view, welder, progress);
    } else {
        TWelder welder(mesh, resolution, view.Vertices.size() / 2);
        TStepProgress step(progress, view.Vertices.size() / 4);
        QuadsFromArrays(view, welder, step);
    }
    return mesh;
}
