// The link between the profile plot and the terrain: the plot's point shown
// as a marker on the ground, and the point of the line under the pointer on
// the ground found among the profile's samples.
#pragma once

#include "Overlay.h"
#include "Profile.h"

#include <array>
#include <optional>
#include <vector>

class TTerrain;

// One marker on the ground: the point of the profile under the pointer.
class TPointMarker : public TOverlay {
public:
    std::optional<TLatLon> Where;
    void Markers(std::vector<TOverlayMarker> &out) const override;
};

class TProfileLink {
public:
    // Places the profile's samples on the terrain square.
    void Place(const TProfile &profile, const TTerrain &terrain);
    void Clear() { placed_.clear(); }
    // The distance along the line of the sample nearest to world point
    // (x, z), when one lies within `tolerance` world units.
    std::optional<double> DistanceNear(double x, double z, double tolerance) const;

private:
    struct TPlaced {
        double X, Z, Distance;
    };
    std::vector<TPlaced> placed_;
};

// The sample nearest to `distance` metres along the profile's line.
std::optional<TLatLon> ProfilePointAt(const TProfile &profile, double distance);
