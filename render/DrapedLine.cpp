#include "DrapedLine.h"

#include "QuadMesh.h"
#include "Terrain.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace {

using TPoint2 = std::array<double, 2>;

double Cross(double ax, double az, double bx, double bz)
{
    return ax * bz - az * bx;
}

class TQuadSurface : public TDrawnSurface {
public:
    TQuadSurface(const TTerrain &terrain, int resolution, int worldSize)
        : terrain_(terrain), r_(resolution), grid_(terrain, resolution, worldSize)
    {
    }

    // The mesh stops one cell short of the square's south and east edges.
    std::array<double, 4> Extent() const override
    {
        if (r_ < 2 || grid_.Size <= 0)
            return {0, 0, 0, 0};
        return {-grid_.Half, -grid_.Half, grid_.Coord(r_ - 1), grid_.Coord(r_ - 1)};
    }

    void TrianglesNear(double x0, double z0, double x1, double z1, std::vector<TSurfaceTriangle> &out) const override
    {
        const double cell = PieceLength(), slack = cell * 1e-6;
        const auto index = [&](double v) { return std::clamp(int(std::floor((v + grid_.Half) / cell)), 0, r_ - 2); };
        for (int i = index(x0 - slack); i <= index(x1 + slack); ++i)
            for (int j = index(z0 - slack); j <= index(z1 + slack); ++j) {
                const TVertex3f c00 = Vertex(i, j), c01 = Vertex(i, j + 1), c11 = Vertex(i + 1, j + 1),
                                c10 = Vertex(i + 1, j);
                out.push_back({c00, c01, c11});
                out.push_back({c00, c11, c10});
                out.push_back({c00, c01, c10});
                out.push_back({c01, c11, c10});
            }
    }

    double PieceLength() const override { return double(grid_.Size) / r_; }

private:
    TVertex3f Vertex(int gi, int gj) const
    {
        return {grid_.Coord(gi), grid_.Height(terrain_, gi, gj), grid_.Coord(gj)};
    }

    const TTerrain &terrain_;
    int r_;
    TQuadMeshGrid grid_;
};

// Triangles sorted into a grid of buckets by their bounding boxes.
class TListSurface : public TDrawnSurface {
public:
    TListSurface(const std::vector<TVertex3f> &positions, const std::vector<uint32_t> *indices)
        : positions_(positions), indices_(indices),
          count_(indices ? indices->size() / 3 : positions.size() / 3)
    {
        if (count_ == 0)
            return;
        extent_ = {std::numeric_limits<double>::max(), std::numeric_limits<double>::max(),
                   std::numeric_limits<double>::lowest(), std::numeric_limits<double>::lowest()};
        for (size_t t = 0; t < count_; ++t)
            for (int k = 0; k < 3; ++k) {
                const TVertex3f &p = Corner(t, k);
                extent_ = {std::min(extent_[0], double(p.X)), std::min(extent_[1], double(p.Z)),
                           std::max(extent_[2], double(p.X)), std::max(extent_[3], double(p.Z))};
            }
        // A few triangles a bucket.
        n_ = std::clamp(int(std::sqrt(double(count_) / 2)), 1, 1024);
        cellX_ = std::max(extent_[2] - extent_[0], 1e-9) / n_;
        cellZ_ = std::max(extent_[3] - extent_[1], 1e-9) / n_;
        offsets_.assign(size_t(n_) * n_ + 1, 0);
        ForBuckets([this](size_t, size_t bucket) { ++offsets_[bucket + 1]; });
        for (size_t b = 1; b < offsets_.size(); ++b)
            offsets_[b] += offsets_[b - 1];
        items_.resize(offsets_.back());
        std::vector<uint32_t> filled(offsets_.begin(), offsets_.end() - 1);
        ForBuckets([this, &filled](size_t t, size_t bucket) { items_[filled[bucket]++] = uint32_t(t); });
    }

    std::array<double, 4> Extent() const override { return extent_; }

    void TrianglesNear(double x0, double z0, double x1, double z1, std::vector<TSurfaceTriangle> &out) const override
    {
        const int i0 = BucketX(x0), i1 = BucketX(x1), j0 = BucketZ(z0), j1 = BucketZ(z1);
        for (int j = j0; j <= j1; ++j)
            for (int i = i0; i <= i1; ++i) {
                const size_t bucket = size_t(j) * n_ + i;
                for (uint32_t k = offsets_[bucket]; k < offsets_[bucket + 1]; ++k)
                    out.push_back({Corner(items_[k], 0), Corner(items_[k], 1), Corner(items_[k], 2)});
            }
    }

    double PieceLength() const override { return std::min(cellX_, cellZ_); }

private:
    const TVertex3f &Corner(size_t t, int k) const
    {
        return positions_[indices_ ? (*indices_)[3 * t + k] : 3 * t + k];
    }
    int BucketX(double x) const { return std::clamp(int(std::floor((x - extent_[0]) / cellX_)), 0, n_ - 1); }
    int BucketZ(double z) const { return std::clamp(int(std::floor((z - extent_[1]) / cellZ_)), 0, n_ - 1); }

    template <class Visit>
    void ForBuckets(Visit &&visit) const
    {
        for (size_t t = 0; t < count_; ++t) {
            const TVertex3f &a = Corner(t, 0), &b = Corner(t, 1), &c = Corner(t, 2);
            const int i0 = BucketX(std::min({a.X, b.X, c.X})), i1 = BucketX(std::max({a.X, b.X, c.X}));
            const int j0 = BucketZ(std::min({a.Z, b.Z, c.Z})), j1 = BucketZ(std::max({a.Z, b.Z, c.Z}));
            for (int j = j0; j <= j1; ++j)
                for (int i = i0; i <= i1; ++i)
                    visit(t, size_t(j) * n_ + i);
        }
    }

    const std::vector<TVertex3f> &positions_;
    const std::vector<uint32_t> *indices_;
    size_t count_;
    std::array<double, 4> extent_{0, 0, 0, 0};
    int n_ = 1;
    double cellX_ = 1, cellZ_ = 1;
    std::vector<uint32_t> offsets_, items_;
};

// Drops the points that lie within `tolerance` of the path without them
// (Douglas and Peucker), keeping both ends.
std::vector<TPoint2> Simplified(const std::vector<TPoint2> &points, double tolerance)
{
    if (points.size() < 3 || !(tolerance > 0))
        return points;
    std::vector<uint8_t> keep(points.size(), 0);
    keep.front() = keep.back() = 1;
    std::vector<std::pair<size_t, size_t>> spans{{0, points.size() - 1}};
    while (!spans.empty()) {
        const auto [first, last] = spans.back();
        spans.pop_back();
        const TPoint2 &a = points[first], &b = points[last];
        const double dx = b[0] - a[0], dz = b[1] - a[1], length2 = dx * dx + dz * dz;
        double farthest = tolerance * tolerance;
        size_t at = 0;
        for (size_t i = first + 1; i < last; ++i) {
            const double px = points[i][0] - a[0], pz = points[i][1] - a[1];
            double d2 = px * px + pz * pz;
            if (length2 > 0) {
                const double t = std::clamp((px * dx + pz * dz) / length2, 0.0, 1.0);
                d2 = (px - t * dx) * (px - t * dx) + (pz - t * dz) * (pz - t * dz);
            }
            if (d2 > farthest) {
                farthest = d2;
                at = i;
            }
        }
        if (at != 0) {
            keep[at] = 1;
            spans.push_back({first, at});
            spans.push_back({at, last});
        }
    }
    std::vector<TPoint2> kept;
    for (size_t i = 0; i < points.size(); ++i)
        if (keep[i])
            kept.push_back(points[i]);
    return kept;
}

// Lays segments on the surface and collects them into strips.
class TDraper {
public:
    TDraper(const TDrawnSurface &surface, TDrapedLines &out)
        : surface_(surface), extent_(surface.Extent()), out_(out)
    {
        const double size = std::max(extent_[2] - extent_[0], extent_[3] - extent_[1]);
        // A point this close to a triangle's edge lies on it.
        near_ = 1e-8 * size;
        // Points this close count as one (a tenth of a metre on a tile): a
        // model file's numbers would make them one, and the segment between
        // them degenerate.
        merge_ = 1e-6 * size;
    }

    void Drape(const std::vector<TPoint2> &points, const TOverlayLine &line)
    {
        strip_ = {out_.Points.size(), 0, line.Color, line.WidthPixels};
        for (size_t i = 1; i < points.size(); ++i) {
            double t0 = 0, t1 = 1;
            const TPoint2 &a = points[i - 1], &b = points[i];
            if (!ClipToExtent(a, b, t0, t1)) {
                EndStrip();
                continue;
            }
            if (t0 > 0)
                EndStrip();
            const TPoint2 from{a[0] + t0 * (b[0] - a[0]), a[1] + t0 * (b[1] - a[1])};
            const TPoint2 to{a[0] + t1 * (b[0] - a[0]), a[1] + t1 * (b[1] - a[1])};
            DrapeSegment(from, to);
            if (t1 < 1)
                EndStrip();
        }
        EndStrip();
    }

private:
    // Liang and Barsky: the part of a→b inside the extent, as parameters.
    bool ClipToExtent(const TPoint2 &a, const TPoint2 &b, double &t0, double &t1) const
    {
        const double d[2] = {b[0] - a[0], b[1] - a[1]};
        for (int axis = 0; axis < 2; ++axis) {
            const double low = extent_[axis], high = extent_[axis + 2];
            if (d[axis] == 0) {
                if (a[axis] < low || a[axis] > high)
                    return false;
                continue;
            }
            double ta = (low - a[axis]) / d[axis], tb = (high - a[axis]) / d[axis];
            if (ta > tb)
                std::swap(ta, tb);
            t0 = std::max(t0, ta);
            t1 = std::min(t1, tb);
        }
        return t0 <= t1;
    }

    // Where the segment p + t·d, 0 ≤ t ≤ 1, runs inside the triangle.
    bool Inside(const TSurfaceTriangle &tri, const TPoint2 &p, const TPoint2 &d, double &t0, double &t1) const
    {
        const TVertex3f *v[3] = {&tri.A, &tri.B, &tri.C};
        const double area = Cross(tri.B.X - tri.A.X, tri.B.Z - tri.A.Z, tri.C.X - tri.A.X, tri.C.Z - tri.A.Z);
        if (std::abs(area) <= near_ * near_)
            return false;
        const double sign = area > 0 ? 1 : -1;
        t0 = 0;
        t1 = 1;
        for (int k = 0; k < 3; ++k) {
            const TVertex3f &from = *v[k], &to = *v[(k + 1) % 3];
            const double ex = to.X - from.X, ez = to.Z - from.Z;
            const double slack = near_ * std::hypot(ex, ez);
            const double f0 = sign * Cross(ex, ez, p[0] - from.X, p[1] - from.Z);
            const double df = sign * Cross(ex, ez, d[0], d[1]);
            if (df == 0) {
                if (f0 < -slack)
                    return false;
                continue;
            }
            const double t = (-slack - f0) / df;
            if (df > 0)
                t0 = std::max(t0, t);
            else
                t1 = std::min(t1, t);
        }
        return t0 <= t1;
    }

    // The highest triangle over a point; empty where none is.
    std::optional<float> HeightAt(const TPoint2 &p) const
    {
        std::optional<float> best;
        for (const TSurfaceTriangle &tri : triangles_) {
            const double area = Cross(tri.B.X - tri.A.X, tri.B.Z - tri.A.Z, tri.C.X - tri.A.X, tri.C.Z - tri.A.Z);
            if (std::abs(area) <= near_ * near_)
                continue;
            const double wa = Cross(tri.B.X - p[0], tri.B.Z - p[1], tri.C.X - p[0], tri.C.Z - p[1]) / area;
            const double wb = Cross(tri.C.X - p[0], tri.C.Z - p[1], tri.A.X - p[0], tri.A.Z - p[1]) / area;
            const double wc = 1 - wa - wb;
            const double slack = 1e-6;
            if (wa < -slack || wb < -slack || wc < -slack)
                continue;
            const float h = float(wa * tri.A.Y + wb * tri.B.Y + wc * tri.C.Y);
            if (!best || h > *best)
                best = h;
        }
        return best;
    }

    void DrapeSegment(const TPoint2 &from, const TPoint2 &to)
    {
        const TPoint2 d{to[0] - from[0], to[1] - from[1]};
        const double length = std::hypot(d[0], d[1]);
        const int pieces = std::max(1, int(std::ceil(length / surface_.PieceLength())));
        for (int k = 0; k < pieces; ++k) {
            const double s0 = double(k) / pieces, s1 = double(k + 1) / pieces;
            const TPoint2 p{from[0] + s0 * d[0], from[1] + s0 * d[1]};
            const TPoint2 q{from[0] + s1 * d[0], from[1] + s1 * d[1]};
            const TPoint2 pd{q[0] - p[0], q[1] - p[1]};
            triangles_.clear();
            surface_.TrianglesNear(std::min(p[0], q[0]), std::min(p[1], q[1]), std::max(p[0], q[0]),
                                   std::max(p[1], q[1]), triangles_);
            // Every edge the piece crosses becomes a point of the line.
            breaks_.assign({0.0, 1.0});
            for (const TSurfaceTriangle &tri : triangles_) {
                double t0 = 0, t1 = 1;
                if (Inside(tri, p, pd, t0, t1)) {
                    breaks_.push_back(std::clamp(t0, 0.0, 1.0));
                    breaks_.push_back(std::clamp(t1, 0.0, 1.0));
                }
            }
            std::sort(breaks_.begin(), breaks_.end());
            const double pieceLength = std::hypot(pd[0], pd[1]);
            double last = -1;
            for (const double t : breaks_) {
                if (last >= 0 && (t - last) * pieceLength <= merge_ && t < 1)
                    continue;
                last = t;
                // The ends exactly: the next piece starts where this one ends.
                const TPoint2 at = t == 0 ? p : t == 1 ? q : TPoint2{p[0] + t * pd[0], p[1] + t * pd[1]};
                if (const auto h = HeightAt(at))
                    Append({float(at[0]), *h, float(at[1])});
            }
        }
    }

    void Append(const TVertex3f &v)
    {
        if (strip_.Count > 0) {
            TVertex3f &prev = out_.Points.back();
            if (std::hypot(prev.X - v.X, prev.Z - v.Z) <= merge_) {
                // The end of a piece wins over a point just before it.
                prev = v;
                return;
            }
        }
        out_.Points.push_back(v);
        ++strip_.Count;
    }

    void EndStrip()
    {
        if (strip_.Count >= 2)
            out_.Strips.push_back(strip_);
        else
            out_.Points.resize(strip_.First);
        strip_.First = out_.Points.size();
        strip_.Count = 0;
    }

    const TDrawnSurface &surface_;
    const std::array<double, 4> extent_;
    TDrapedLines &out_;
    double near_ = 0, merge_ = 0;
    TDrapedLines::TStrip strip_;
    std::vector<TSurfaceTriangle> triangles_;  // of the piece being laid
    std::vector<double> breaks_;
};

} // namespace

std::unique_ptr<TDrawnSurface> QuadMeshSurface(const TTerrain &terrain, int resolution, int worldSize)
{
    return std::make_unique<TQuadSurface>(terrain, resolution, worldSize);
}

std::unique_ptr<TDrawnSurface> TriangleListSurface(const std::vector<TVertex3f> &positions,
                                                   const std::vector<uint32_t> *indices)
{
    return std::make_unique<TListSurface>(positions, indices);
}

double DrapeTolerance(const TTerrain &terrain)
{
    return terrain.GridHigh > 0 ? 0.25 * terrain.WorldSize / terrain.GridHigh : 0.0;
}

TDrapedLines DrapeOverlayLines(const std::vector<TOverlayLine> &lines, const TTerrain &terrain,
                               const TDrawnSurface &surface, double tolerance)
{
    TDrapedLines out;
    const auto extent = surface.Extent();
    if (!(extent[2] > extent[0] && extent[3] > extent[1]))
        return out;
    TDraper draper(surface, out);
    std::vector<TPoint2> run;
    for (const TOverlayLine &line : lines) {
        // A point that cannot be placed breaks the line.
        const auto flush = [&] {
            draper.Drape(Simplified(run, tolerance), line);
            run.clear();
        };
        for (const TLatLon &p : line.Points) {
            if (const auto world = terrain.WorldAt(p))
                run.push_back(*world);
            else
                flush();
        }
        flush();
    }
    return out;
}
