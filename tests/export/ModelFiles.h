// Reading back what the export wrote: binary STL facets, and the checks a
// slicer makes of a solid.
#pragma once

#include "TestFiles.h"
#include "TopoView.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <map>
#include <string>
#include <tuple>
#include <vector>

using TFacet = std::array<TVertex3f, 3>;

// The facets of a binary STL; none when the file is not one.
inline std::vector<TFacet> ReadStl(const std::string &path)
{
    const std::vector<uint8_t> bytes = ReadFileBytes(path);
    std::vector<TFacet> facets;
    if (bytes.size() < 84)
        return facets;
    uint32_t count = 0;
    std::memcpy(&count, bytes.data() + 80, 4);
    if (bytes.size() != 84 + size_t(count) * 50)
        return facets;
    facets.resize(count);
    for (size_t i = 0; i < count; ++i)
        std::memcpy(facets[i].data(), bytes.data() + 84 + i * 50 + 12, 36);
    return facets;
}

inline double SignedVolume(const std::vector<TFacet> &facets)
{
    double v = 0;
    for (const TFacet &f : facets) {
        const double ax = f[0].X, ay = f[0].Y, az = f[0].Z, bx = f[1].X, by = f[1].Y, bz = f[1].Z;
        const double cx = f[2].X, cy = f[2].Y, cz = f[2].Z;
        v += ax * (by * cz - bz * cy) - ay * (bx * cz - bz * cx) + az * (bx * cy - by * cx);
    }
    return v / 6;
}

// Closed and outward: every edge runs once in each direction (two triangles,
// consistently wound), no triangle has zero area, and the volume is positive.
inline void ExpectClosedSolid(const std::vector<TFacet> &facets)
{
    using TKey = std::tuple<float, float, float>;
    auto key = [](const TVertex3f &p) { return TKey(p.X, p.Y, p.Z); };
    std::map<std::pair<TKey, TKey>, int> edges;
    size_t flat = 0;
    for (const TFacet &f : facets) {
        const double ux = f[1].X - f[0].X, uy = f[1].Y - f[0].Y, uz = f[1].Z - f[0].Z;
        const double vx = f[2].X - f[0].X, vy = f[2].Y - f[0].Y, vz = f[2].Z - f[0].Z;
        const double area = std::hypot(uy * vz - uz * vy, uz * vx - ux * vz, ux * vy - uy * vx);
        flat += area < 1e-9;
        for (int e = 0; e < 3; ++e)
            ++edges[{key(f[size_t(e)]), key(f[size_t((e + 1) % 3)])}];
    }
    EXPECT_EQ(flat, 0u) << "triangles without area";
    size_t bad = 0;
    for (const auto &[edge, count] : edges) {
        const auto back = edges.find({edge.second, edge.first});
        bad += count != 1 || back == edges.end() || back->second != 1;
    }
    EXPECT_EQ(bad, 0u) << "edges not shared by exactly two triangles running them both ways";
    EXPECT_GT(SignedVolume(facets), 0) << "the triangles face inward";
}
