// What is drawn over the terrain besides its texture: placemarks, tracks,
// waypoints, the measuring line. Overlays are plain data placed by latitude
// and longitude; the views walk the scene's overlays and draw each through
// this one interface, so a frame does not know which overlays exist.
#pragma once

#include "TilePos.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct TOverlayColor {
    float R = 1, G = 1, B = 1;  // 0 … 1
    bool operator==(const TOverlayColor &) const = default;
};

// A line lying on the ground, drawn draped over the terrain as drawn.
struct TOverlayLine {
    std::vector<TLatLon> Points;
    TOverlayColor Color;
    float WidthPixels = 3;
    bool operator==(const TOverlayLine &) const = default;
};

// A marker standing on the ground with its name beside it: one placemark,
// one waypoint.
struct TOverlayMarker {
    TLatLon Where;
    std::string Name;  // UTF-8
    TOverlayColor Color;
};

class TOverlay {
public:
    virtual ~TOverlay() = default;
    // What it adds to a frame, appended; nothing while it is hidden.
    virtual void Lines(std::vector<TOverlayLine> &) const {}
    virtual void Markers(std::vector<TOverlayMarker> &) const {}
};

// The overlays of a view, in drawing order, with a version that changes on
// every change so the renderer rebuilds what it keeps only then.
class TScene {
public:
    void Add(std::shared_ptr<TOverlay> overlay);
    const std::vector<std::shared_ptr<TOverlay>> &Overlays() const { return overlays_; }
    // Every line and marker of every overlay, in order.
    std::vector<TOverlayLine> AllLines() const;
    std::vector<TOverlayMarker> AllMarkers() const;
    // Owners call this after changing an overlay's data.
    void Changed() { ++version_; }
    uint64_t Version() const { return version_; }

private:
    std::vector<std::shared_ptr<TOverlay>> overlays_;
    uint64_t version_ = 1;
};
