#include "Terrain.h"

#include <cmath>

TTerrain::TTerrain() = default;

void TTerrain::DoProgress(float fraction) const
{
    if (OnProgress)
        OnProgress(static_cast<int>(std::lround(fraction * 100.0f)));
}
