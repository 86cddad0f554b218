#include "Overlay.h"

#include <algorithm>

void TScene::Add(std::shared_ptr<TOverlay> overlay)
{
    overlays_.push_back(std::move(overlay));
    Changed();
}

std::vector<TOverlayLine> TScene::AllLines() const
{
    std::vector<TOverlayLine> lines;
    for (const auto &overlay : overlays_)
        overlay->Lines(lines);
    return lines;
}

std::vector<TOverlayMarker> TScene::AllMarkers() const
{
    std::vector<TOverlayMarker> markers;
    for (const auto &overlay : overlays_)
        overlay->Markers(markers);
    return markers;
}
