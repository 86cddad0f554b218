#include "StlWriter.h"

#include "StepProgress.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

// Little-endian, as the format and this machine have it.
char *Put(char *at, float value)
{
    std::memcpy(at, &value, 4);
    return at + 4;
}

char *PutFacet(char *at, const TVertex3f &a, const TVertex3f &b, const TVertex3f &c)
{
    // Readers recompute the normal from the winding, but some still read it.
    const double ux = double(b.X) - a.X, uy = double(b.Y) - a.Y, uz = double(b.Z) - a.Z;
    const double vx = double(c.X) - a.X, vy = double(c.Y) - a.Y, vz = double(c.Z) - a.Z;
    double nx = uy * vz - uz * vy, ny = uz * vx - ux * vz, nz = ux * vy - uy * vx;
    const double length = std::sqrt(nx * nx + ny * ny + nz * nz);
    if (length > 0) {
        nx /= length;
        ny /= length;
        nz /= length;
    }
    for (const float v : {float(nx), float(ny), float(nz), a.X, a.Y, a.Z, b.X, b.Y, b.Z, c.X, c.Y, c.Z})
        at = Put(at, v);
    *at++ = 0;  // attribute byte count
    *at++ = 0;
    return at;
}

} // namespace

void WriteBinaryStl(TOutFile &out, const TSolidMesh &solid, const std::function<void(float)> &progress)
{
    static_assert(sizeof(float) == 4);
    constexpr size_t FacetBytes = 50, BlockFacets = 8192;
    char header[84] = "Orolith terrain solid, binary STL";
    // "solid" at the start would make readers take the file for ASCII STL.
    const auto count = uint32_t(solid.TriangleCount());
    std::memcpy(header + 80, &count, 4);
    out.Write(header, sizeof header);

    TStepProgress step(progress, count / BlockFacets + 1);
    const auto &p = solid.Points;
    const auto &t = solid.Triangles;
    for (size_t first = 0; first < count; first += BlockFacets) {
        const size_t n = std::min<size_t>(BlockFacets, count - first);
        char *at = out.Room(n * FacetBytes);
        for (size_t i = first; i < first + n; ++i)
            at = PutFacet(at, p[t[3 * i]], p[t[3 * i + 1]], p[t[3 * i + 2]]);
        out.Filled(at);
        step.At(first / BlockFacets);
    }
}
