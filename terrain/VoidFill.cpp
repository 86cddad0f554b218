#include "VoidFill.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace {

struct TVoid {
    size_t index;  // row * n + column
    float sum = 0, weight = 0;
};

// Walks one line of the grid (a row or a column: `at(k)` its k-th sample)
// and, for every void on it, adds the edges' heights weighted by 1 / distance.
template <class At, class Visit>
void AddEdges(int n, At at, Visit visit)
{
    int k = 0;
    while (k < n) {
        if (at(k) != TSIArray::Void) {
            ++k;
            continue;
        }
        const int first = k;
        while (k < n && at(k) == TSIArray::Void)
            ++k;
        const int before = first - 1, after = k;
        for (int v = first; v < after; ++v) {
            float sum = 0, weight = 0;
            if (before >= 0) {
                sum += float(at(before)) / float(v - before);
                weight += 1.0f / float(v - before);
            }
            if (after < n) {
                sum += float(at(after)) / float(after - v);
                weight += 1.0f / float(after - v);
            }
            visit(v, sum, weight);
        }
    }
}

// One round; false when no void could be filled.
bool FillRound(TSIArray &grid)
{
    const int n = grid.Size();
    std::vector<TVoid> voids;
    for (int row = 0; row < n; ++row) {
        const int16_t *line = grid.Row(row);
        AddEdges(n, [line](int k) { return line[k]; }, [&](int col, float sum, float weight) {
            voids.push_back({size_t(row) * size_t(n) + size_t(col), sum, weight});
        });
    }
    for (int col = 0; col < n; ++col)
        AddEdges(n, [&grid, col](int k) { return grid(col, k); }, [&](int row, float sum, float weight) {
            const size_t index = size_t(row) * size_t(n) + size_t(col);
            auto v = std::lower_bound(voids.begin(), voids.end(), index,
                                      [](const TVoid &a, size_t i) { return a.index < i; });
            v->sum += sum;
            v->weight += weight;
        });
    bool filled = false;
    for (const TVoid &v : voids)
        if (v.weight > 0) {
            grid(int(v.index % size_t(n)), int(v.index / size_t(n))) =
                int16_t(std::clamp(std::lround(v.sum / v.weight), -32767L, 32767L));
            filled = true;
        }
    return filled && std::any_of(voids.begin(), voids.end(), [](const TVoid &v) { return v.weight == 0; });
}

} // namespace

bool HasValidSample(const TSIArray &grid)
{
    for (int row = 0; row < grid.Size(); ++row) {
        const int16_t *line = grid.Row(row);
        if (std::any_of(line, line + grid.Size(), [](int16_t h) { return h != TSIArray::Void; }))
            return true;
    }
    return false;
}

void FillVoids(TSIArray &grid)
{
    if (!HasValidSample(grid))
        return;
    while (FillRound(grid)) {
    }
}
