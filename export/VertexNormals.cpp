#include "VertexNormals.h"

#include <cmath>

std::vector<TVertex3f> VertexNormals(const std::vector<TVertex3f> &points, const std::vector<uint32_t> &triangles)
{
    std::vector<TVertex3f> normals(points.size(), TVertex3f{0, 0, 0});
    for (size_t i = 0; i + 2 < triangles.size(); i += 3) {
        const TVertex3f &a = points[triangles[i]], &b = points[triangles[i + 1]], &c = points[triangles[i + 2]];
        const float ux = b.X - a.X, uy = b.Y - a.Y, uz = b.Z - a.Z;
        const float vx = c.X - a.X, vy = c.Y - a.Y, vz = c.Z - a.Z;
        // The cross product's length is twice the area: larger faces weigh more.
        const TVertex3f n{uy * vz - uz * vy, uz * vx - ux * vz, ux * vy - uy * vx};
        for (size_t k = 0; k < 3; ++k) {
            TVertex3f &sum = normals[triangles[i + k]];
            sum = {sum.X + n.X, sum.Y + n.Y, sum.Z + n.Z};
        }
    }
    for (TVertex3f &n : normals) {
        const double length = std::sqrt(double(n.X) * n.X + double(n.Y) * n.Y + double(n.Z) * n.Z);
        n = length > 0 && std::isfinite(length)
                ? TVertex3f{float(n.X / length), float(n.Y / length), float(n.Z / length)}
                : TVertex3f{0, 1, 0};
    }
    return normals;
}
