// The measuring tool's line: points clicked on the terrain, its geodesic
// length and the height difference from end to end.
#pragma once

#include "Overlay.h"

#include <optional>
#include <vector>

class TTerrain;

class TMeasureLine : public TOverlay {
public:
    std::vector<TLatLon> Points;
    bool Finished = false;  // ended by Esc or a double-click
    // The terrain's height at the last point minus at the first; empty
    // without two points or where either is a void.
    std::optional<double> HeightDifference(const TTerrain &terrain) const;
    void Lines(std::vector<TOverlayLine> &out) const override;
    void Markers(std::vector<TOverlayMarker> &out) const override;
};
