// Placemarks drawn over a frame of the terrain: a marker whose tip stands on
// its ground point and the name above it, both of one size on screen in every
// view (orbit, from the top, hiking) and readable on any ground: the marker
// has an outline, the dark text a light halo. Markers and labels hide behind
// nearer terrain but write no depth, so picking still finds the ground.
//
// The places are handed over once per change; each frame projects them, keeps
// those on screen, and draws all markers with one array draw and all labels
// with two (halo, then text) from one font atlas. A label that would cover
// one drawn before it is left out: overlapping labels cannot be read, and
// the work a frame does stays bounded by the screen, not the number of places.
#pragma once

#include "BitmapFont.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class TPlaceOverlay {
public:
    struct TMarker {
        float X = 0, Y = 0, Z = 0;      // ground point, world units before the vertical scale
        float R = 0, G = 0, B = 0;      // class colour, 0 … 1
        std::string Codes;              // label as glyph codes
    };

    // Marker size on screen, pixels: the tip on the ground point, the top
    // edge this high above it and this wide.
    static constexpr int MarkerHeight = 16;
    static constexpr int MarkerWidth = 12;

    explicit TPlaceOverlay(TLabelAtlas atlas);

    // Replaces the markers, in drawing order (earlier labels win).
    void SetMarkers(std::vector<TMarker> markers);
    size_t MarkerCount() const { return markers_.size(); }

    // Draws over the current frame, with its context current; the matrices
    // are those the frame drew the terrain with (column-major), the viewport
    // x, y, width, height. Leaves the GL state as the frame had it.
    void Draw(const std::array<double, 16> &modelView, const std::array<double, 16> &projection,
              const std::array<int, 4> &viewport);

    // Labels drawn by the last Draw.
    int LabelsDrawn() const { return labelsDrawn_; }

private:
    struct TPlaced {
        float X, Y, Depth;  // window pixels of the ground point, window depth
    };
    struct TOnScreen {
        size_t Index;  // into markers_
        TPlaced At;
        bool Drawn;    // the marker; its label may be drawn all the same
    };
    struct TLabelVertex {
        float S, T, X, Y, Z;
    };
    struct TMarkerVertex {
        uint8_t R, G, B, A;
        float X, Y, Z;
    };

    void UploadAtlas();
    void AddMarker(const TMarker &marker, const TPlaced &at);
    void AddLabel(const TMarker &marker, const TPlaced &at, int width);
    // Leaves out markers whose tip shares a small cell with a later one.
    void HideCoveredMarkers(int width, int height, float reach);
    // Reserves the label's cells of the screen; false when one is taken.
    bool Reserve(int x0, int y0, int x1, int y1);

    TLabelAtlas atlas_;
    unsigned textTexture_ = 0, haloTexture_ = 0;
    std::vector<TMarker> markers_;
    std::vector<int> labelWidths_;
    // Per frame, kept to reuse their memory.
    std::vector<TMarkerVertex> markerVertices_;
    std::vector<TLabelVertex> labelVertices_;
    std::vector<TOnScreen> placed_;
    std::vector<uint8_t> taken_, markerCells_;
    int cellsX_ = 0, cellsY_ = 0;
    int labelsDrawn_ = 0;
};
