// Per-texel surface normals of a terrain, the input of the slope shading.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class TTerrain;

// A unit normal scaled by 127; y points up, x east, z south. Not zeroed on
// construction: a map is always filled completely, and a 3601² map is tens
// of megabytes.
struct TNormal {
    TNormal() {}
    TNormal(int8_t nx, int8_t ny, int8_t nz) : x(nx), y(ny), z(nz) {}
    int8_t x, y, z;
};
// Resolution × Resolution normals, row by row from the north.
using TNormalMap = std::vector<TNormal>;

// Rows per band when normals are computed on several threads: small enough
// to keep every core busy to the end, large enough that the two rows of
// heights a band reads beyond its own don't matter.
constexpr int NormalBandRows = 16;

// Fills `map` with the normals of terrain's Resolution² texels. Texel
// (x, y) stands for the grid position (x·N/R, y·N/R); its normal is the mean
// of the eight triangles it forms with its neighbour texels, whose heights
// come from SampleHeight. At the map's edges a missing neighbour takes the
// height of the nearest texel inside the map, so the border is neither a
// cliff nor a ramp. Horizontal positions are in grid samples and heights in
// world units: the same relief is steeper on a 3601 tile than on a 1201 one.
//
// Rows are spread over `threads` (0: every core); the result does not depend
// on it. progress(fraction) runs on the calling thread, ending with 1.
void ComputeNormalMap(const TTerrain &terrain, TNormalMap &map, int threads = 0,
                      const std::function<void(float fraction)> &progress = {});

// The same normals for any band of rows, so a caller can use each band as it
// comes instead of holding the whole map. One object per thread: it keeps
// the scratch rows of the band it works on.
class TNormalRows {
public:
    explicit TNormalRows(const TTerrain &terrain);
    // Another worker over the same terrain: it shares the read-only tables
    // (texel positions, height conversion) and has scratch rows of its own.
    TNormalRows Share() const;
    ~TNormalRows();
    TNormalRows(TNormalRows &&) noexcept;
    TNormalRows &operator=(TNormalRows &&) noexcept;

    // Rows first … last − 1 into out, row `first` at out[0], Resolution
    // normals a row. Bands longer than NormalBandRows need memory first.
    void Compute(int first, int last, TNormal *out);

private:
    struct TTables;
    struct TState;
    explicit TNormalRows(std::unique_ptr<TState> state);
    std::unique_ptr<TState> d_;
};
