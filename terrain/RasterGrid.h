// Heights read as metres (from any raster reader) made into the terrain's
// square grid of 16-bit samples: the height step they are kept at, and the
// resampling of a raster that is not square.
#pragma once

#include "HeightGrid.h"
#include "HugePages.h"

#include <vector>

// Heights in metres, Width × Height, row by row from the north; NaN is a
// void. Lo and Hi are the extremes of the samples that are not.
struct TMetresRaster {
    int Width = 0, Height = 0;
    std::vector<float, TLargeAllocator<float>> Metres;
    float Lo = 0, Hi = -1;
};

// A grid sample h stands for Base + h × Step metres.
struct THeightQuantum {
    double Step = 1.0;
    double Base = 0.0;
};

// The step a raster of heights lo … hi metres, `spacing` metres between
// samples, is kept at: fine enough that the slope between neighbours keeps
// the resolution a 1″ tile has at whole metres (a step of spacing ÷ 30, on
// the 1-2-5 series from 1 m down to 1 cm), coarser only when the range
// would not fit in the 65,535 non-void values of 16 bits. The base is 0
// when the range fits without one, else the range's middle in whole metres.
THeightQuantum ChooseHeightQuantum(double lo, double hi, double spacing);

// Metres rounded to q's steps (NaN: the void), extremes in steps kept in lo, hi.
void QuantiseRow(const float *metres, int count, const THeightQuantum &q, int16_t *out, int &lo, int &hi);
// Whether every height lo … hi metres has a sample value at q.
bool QuantumHolds(const THeightQuantum &q, double lo, double hi);

// The square grid of `raster`: its longer side keeps its samples, the
// shorter one is resampled linearly to the same count (first and last
// samples where they were; a void stays a void and spreads to the
// samples it weighs in). Heights are rounded to `q`. minHeight and
// maxHeight receive the extremes in grid steps, or 9999999 and −9999999
// when everything is void.
void SquareGrid(const TMetresRaster &raster, const THeightQuantum &q, TSIArray &grid, int &minHeight, int &maxHeight);
