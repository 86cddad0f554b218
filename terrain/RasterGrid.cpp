#include "RasterGrid.h"

#include "ParallelRows.h"

#include <algorithm>
#include <cmath>
#include <limits>

THeightQuantum ChooseHeightQuantum(double lo, double hi, double spacing)
{
    constexpr double Fine[] = {1, 0.5, 0.2, 0.1, 0.05, 0.02, 0.01};
    THeightQuantum q;
    if (!(lo <= hi))  // nothing but voids
        return q;
    const double wanted = spacing / 30;
    q.Step = Fine[std::size(Fine) - 1];
    for (const double step : Fine)
        if (step <= wanted) {
            q.Step = step;
            break;
        }
    // One metre more than the range, as the base is rounded to whole metres.
    const double needed = (hi - lo + 1) / 65534;
    for (double decade = 1; q.Step < needed; decade *= 10)
        for (const double mantissa : {1, 2, 5})
            if (q.Step < needed && mantissa * decade * 0.01 > q.Step)
                q.Step = mantissa * decade * 0.01;
    if (lo / q.Step < -32767 || hi / q.Step > 32767)
        q.Base = std::round((lo + hi) / 2);
    return q;
}

void QuantiseRow(const float *metres, int count, const THeightQuantum &q, int16_t *out, int &lo, int &hi)
{
    for (int c = 0; c < count; ++c) {
        const float m = metres[c];
        if (std::isnan(m)) {
            out[c] = TSIArray::Void;
            continue;
        }
        // Halves away from zero, as std::round, without a library call.
        const double steps = std::clamp((m - q.Base) / q.Step, -32767.0, 32767.0);
        const auto v = static_cast<int16_t>(steps + (steps < 0 ? -0.5 : 0.5));
        out[c] = v;
        lo = std::min<int>(lo, v);
        hi = std::max<int>(hi, v);
    }
}

bool QuantumHolds(const THeightQuantum &q, double lo, double hi)
{
    return !(lo <= hi) || ((lo - q.Base) / q.Step >= -32767.5 && (hi - q.Base) / q.Step <= 32767.5);
}

namespace {

// Where the samples of the grid fall on an axis of `count` samples: the
// sample below and the weight of the one after it.
struct TAxis {
    std::vector<int> below;
    std::vector<float> weight;

    TAxis(int count, int n) : below(static_cast<size_t>(n)), weight(static_cast<size_t>(n))
    {
        for (int i = 0; i < n; ++i) {
            const double at = n > 1 ? static_cast<double>(i) * (count - 1) / (n - 1) : 0;
            const int b = std::min(static_cast<int>(at), count - 1);
            below[static_cast<size_t>(i)] = b;
            weight[static_cast<size_t>(i)] = static_cast<float>(at - b);
        }
    }
};

// A weight of 0 takes the sample as it is, so a void next to it stays out.
float Between(float a, float b, float t)
{
    return t == 0 ? a : a + (b - a) * t;
}

}  // namespace

void SquareGrid(const TMetresRaster &raster, const THeightQuantum &q, TSIArray &grid, int &minHeight, int &maxHeight)
{
    const int w = raster.Width, h = raster.Height, n = std::max(w, h);
    grid.SetSize(n);
    const TAxis columns(w, n), rows(h, n);
    std::vector<int> lows(static_cast<size_t>(n), INT16_MAX), highs(static_cast<size_t>(n), INT16_MIN);
    const int threads = 0;
    std::vector<std::vector<float>> scratch(static_cast<size_t>(ResolveThreadCount(threads)),
                                            std::vector<float>(static_cast<size_t>(w)));
    std::vector<std::vector<float>> across(scratch.size(), std::vector<float>(static_cast<size_t>(w < n ? n : 0)));
    ParallelRows(n, threads, [&](int r, int worker) {
        const int r0 = rows.below[static_cast<size_t>(r)], r1 = std::min(r0 + 1, h - 1);
        const float t = rows.weight[static_cast<size_t>(r)];
        const float *a = raster.Metres.data() + static_cast<size_t>(r0) * w;
        const float *b = raster.Metres.data() + static_cast<size_t>(r1) * w;
        const float *line = a;
        if (t != 0) {
            std::vector<float> &between = scratch[static_cast<size_t>(worker)];
            for (int c = 0; c < w; ++c)
                between[static_cast<size_t>(c)] = Between(a[c], b[c], t);
            line = between.data();
        }
        int16_t *out = grid.Row(r);
        int lo = INT16_MAX, hi = INT16_MIN;
        if (w == n) {
            QuantiseRow(line, n, q, out, lo, hi);
        } else {
            float *resampled = across[static_cast<size_t>(worker)].data();
            for (int c = 0; c < n; ++c) {
                const int c0 = columns.below[static_cast<size_t>(c)], c1 = std::min(c0 + 1, w - 1);
                resampled[c] = Between(line[c0], line[c1], columns.weight[static_cast<size_t>(c)]);
            }
            QuantiseRow(resampled, n, q, out, lo, hi);
        }
        lows[static_cast<size_t>(r)] = lo;
        highs[static_cast<size_t>(r)] = hi;
    }, [](int) {});
    const int lo = *std::min_element(lows.begin(), lows.end()), hi = *std::max_element(highs.begin(), highs.end());
    const bool any = hi >= lo;
    minHeight = any ? lo : 9999999;
    maxHeight = any ? hi : -9999999;
}
