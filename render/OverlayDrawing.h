// Draws a scene's overlays over a frame of the terrain: the lines draped on
// the ground as drawn, then the markers with their names (TPlaceOverlay).
// What it draws is handed over only when the scene or the terrain changes;
// a frame only sets the matrices and issues a few array draws.
#pragma once

#include "DrapedLine.h"
#include "PlaceOverlay.h"

#include <array>
#include <vector>

class TOverlayDrawing {
public:
    explicit TOverlayDrawing(TLabelAtlas atlas);

    void SetLines(TDrapedLines lines) { lines_ = std::move(lines); }
    void SetMarkers(std::vector<TPlaceOverlay::TMarker> markers) { markers_.SetMarkers(std::move(markers)); }

    // Over the current frame, with its context current; the matrices are
    // those the frame drew the terrain with (column-major), the viewport x,
    // y, width, height. Leaves the GL state as the frame had it.
    void Draw(const std::array<double, 16> &modelView, const std::array<double, 16> &projection,
              const std::array<int, 4> &viewport);

private:
    void DrawLines(const std::array<double, 16> &modelView);

    TDrapedLines lines_;
    TPlaceOverlay markers_;
};
