// Filling the voids of a height grid for models that should have no pits:
// every void sample takes a height interpolated from the edges of its void,
// the nearest valid samples west, east, north and south of it, each weighted
// by the inverse of its distance. Samples with none of those in their row or
// column (inside a void that spans the grid both ways) are filled in further
// rounds from the samples filled before them.
#pragma once

#include "HeightGrid.h"

// False when every sample is a void: there is nothing to draw or fill from.
bool HasValidSample(const TSIArray &grid);

// In place; a grid of voids only stays as it is.
void FillVoids(TSIArray &grid);
