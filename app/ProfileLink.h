// The link between the profile plot and the terrain: the plot's point shown
// as a marker on the ground; the point of the line under the pointer on the
// ground is found by the profile itself.
#pragma once

#include "Overlay.h"
#include "Profile.h"

#include <optional>
#include <vector>

// One marker on the ground: the point of the profile under the pointer.
class TPointMarker : public TOverlay {
public:
    std::optional<TLatLon> Where;
    void Markers(std::vector<TOverlayMarker> &out) const override;
};
