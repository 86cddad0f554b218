// Range-independent level of detail over a quadtree: a square lattice of
// (2^k + 1)² points laid over the terrain square, one roughness value ("d2")
// per node, refined once per tile and triangulated into crack-free fans.
//
// Nodes are addressed by their centre (x, z) and half-extent c on the lattice.
// Centres of nodes of different sizes never share a lattice point, so one byte
// matrix holds one value per node. Children are always visited in the order
// (+c/2, +c/2), (+c/2, −c/2), (−c/2, +c/2), (−c/2, −c/2).
//
// Nothing here touches OpenGL: the view draws the triangle list this builds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

class TTerrain;
struct TVertex3f;
struct TTexCoord2f;

// N × N bytes indexed [x][z] over the lattice.
class TQuadTreeMatrix {
public:
    void SetSize(int n);
    int Size() const { return n_; }
    bool Contains(int x, int z) const { return x >= 0 && z >= 0 && x < n_ && z < n_; }
    void Clear();

    uint8_t &operator()(int x, int z) { return cells_[static_cast<size_t>(x) * n_ + z]; }
    uint8_t operator()(int x, int z) const { return cells_[static_cast<size_t>(x) * n_ + z]; }
    // Points off the lattice read as `outside`.
    uint8_t Read(int x, int z, uint8_t outside) const { return Contains(x, z) ? (*this)(x, z) : outside; }

private:
    int n_ = 0;
    std::vector<uint8_t> cells_;
};

// N for a terrain square of edge `worldSize`: four lattice steps per world
// unit (rounded up to a power of two), at most 2049 points a side.
int LodLatticeSize(int worldSize);

// C below or at 1 would make the propagation factor infinite or negative;
// such values (only a hand-edited settings file gives them) become 1.5.
float UsableResolutionConstant(float c);

// The factor by which a node's roughness must exceed that of the half-size
// nodes touching its edges, so neighbouring fans never differ by more than one
// level: C / (C − 1) + 0.15.
float PropagationFactor(float c);

// d2 values are bytes; anything rougher than 255 stays at 255 rather than
// wrapping round to look smooth.
uint8_t SaturateD2(double value);

// The level-of-detail builder. The view that draws the mesh derives from it.
class TQuadTreeLod {
public:

    static constexpr int InitialLatticeSize = 2049;

    // At a node's centre: 1 when the node draws its own fan.
    TQuadTreeMatrix SubdivMatrix;
    // At a node's centre: the node's roughness, raised by PropagateD2.
    TQuadTreeMatrix D2Matrix;
    // Global resolution: the larger, the coarser the mesh.
    float C = 15.0f;
    // Weight of the roughness.
    float SmallC = 1.0f;
    // Metres of roughness are weighed by this before the test: how much
    // steeper the relief is drawn than on the square (TDrawnScale::Roughness).
    float RoughnessWeight = 1.0f;
    // N of the most recent build.
    int LatticeSize = InitialLatticeSize;

    // Refines the lattice over `terrain` (whose grid must be loaded) for a
    // square of edge `worldSize` and replaces `vertices` and `texCoords` by the
    // triangle list, three entries per triangle. Stores `worldSize` as the
    // terrain's world size. Reports the fraction done (0 … 1) during the
    // propagation only, to `progress` or else to the terrain's progress.
    using TProgress = std::function<void(float fraction)>;
    void BuildLod(TTerrain &terrain, int worldSize, std::vector<TVertex3f> &vertices,
                  std::vector<TTexCoord2f> &texCoords, TProgress progress = {});

    // The steps of BuildLod, open for tests and tools. They work on the
    // terrain, size and output of the current build (BeginBuild sets them).
    void BeginBuild(TTerrain &terrain, int worldSize, std::vector<TVertex3f> &vertices,
                    std::vector<TTexCoord2f> &texCoords);
    void ComputeD2(int x, int z, int c);
    // Throws std::logic_error when the lattice is not 2^k + 1 points a side.
    void PropagateD2();
    void Refine(int x, int z, int c);
    void EmitNode(int x, int z, int c);

    // Lattice coordinates (x and z of p) to world or grid coordinates in place.
    void LatticeToWorld(float p[3]) const;
    void LatticeToGrid(float p[3]) const;
    // Height in metres of the grid sample under lattice point (x, z).
    float LatticeHeightAt(float x, float z) const;

private:
    struct TFan {
        int x, z, c;
        uint8_t q[5];  // refined children in ring order, the first repeated last
    };
    void EmitFanTriangle(const TFan &fan, int a, int b);
    void EmitVertex(int x, int z);
    // LatticeHeightAt for a lattice point, through the axis table.
    float MetresAt(int x, int z) const;
    void BuildAxisTable();
    void PropagateLevel(int x, int z, int c, int level);
    void RaiseFromNeighbours(int x, int z, int level);

    void Progress(float fraction) const;

    // Every mapping from the lattice is separable: one entry per lattice
    // index serves both x and z, so a vertex costs table reads and one sample.
    struct TAxis {
        float grid;        // LatticeToGrid, truncated: the sample read for roughness
        float world;       // LatticeToWorld
        float vertexGrid;  // WorldToGrid of `world`: the sample a vertex's height reads
        float texS, texT;  // texture coordinate of `world` along x and along z
    };
    std::vector<TAxis> axis_;

    TTerrain *terrain_ = nullptr;
    TProgress progress_;
    int worldSize_ = 0;
    std::vector<TVertex3f> *vertices_ = nullptr;
    std::vector<TTexCoord2f> *texCoords_ = nullptr;
    // While counting, EmitFanTriangle only counts, so the arrays can be
    // reserved once at their final size.
    bool counting_ = false;
    size_t triangleCount_ = 0;
};
