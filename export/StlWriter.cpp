#include "StlWriter.h"

#include "TerrainError.h"

#include <QFile>

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

void WriteBinaryStl(const TSolidMesh &solid, const std::string &path, const std::function<void(float)> &progress)
{
    static_assert(sizeof(float) == 4);
    constexpr size_t FacetBytes = 50, BlockFacets = 8192;
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly))
        throw ETerrainError("cannot write the file: " + file.errorString().toStdString(), path);

    char header[84] = "Orolith terrain solid, binary STL";
    // "solid" at the start would make readers take the file for ASCII STL.
    const auto count = uint32_t(solid.TriangleCount());
    std::memcpy(header + 80, &count, 4);
    bool ok = file.write(header, sizeof header) == qint64(sizeof header);

    std::vector<char> block(BlockFacets * FacetBytes);
    const auto &p = solid.Points;
    const auto &t = solid.Triangles;
    for (size_t first = 0; ok && first < count; first += BlockFacets) {
        const size_t n = std::min<size_t>(BlockFacets, count - first);
        char *at = block.data();
        for (size_t i = first; i < first + n; ++i)
            at = PutFacet(at, p[t[3 * i]], p[t[3 * i + 1]], p[t[3 * i + 2]]);
        ok = file.write(block.data(), qint64(n * FacetBytes)) == qint64(n * FacetBytes);
        if (progress)
            progress(float(double(first + n) / double(count)));
    }
    if (!ok || !file.flush())
        throw ETerrainError("cannot write the file: " + file.errorString().toStdString(), path);
}
