// The view's placemarks (kept by its Placemarks overlay) and handing the
// scene's overlays to the unit that draws them over every frame.
#include "TopoView.h"

#include "BitmapFont.h"
#include "DrapedLine.h"
#include "OverlayDrawing.h"

void TTopoView::AddPlace(const TLatLon &where, const std::string &name, int16_t classId)
{
    Placemarks->AddPlace(where, name, classId);
}

void TTopoView::GetPlace(int index, TPlaceRec &rec) const
{
    Placemarks->GetPlace(index, rec);
}

void TTopoView::ClearPlaces()
{
    Placemarks->ClearPlaces();
}

void TTopoView::AddPlaceClass(int16_t id, const std::string &name, float r, float g, float b)
{
    Placemarks->AddPlaceClass(id, name, r, g, b);
}

void TTopoView::SetClassVisible(int16_t id, bool visible)
{
    Placemarks->SetClassVisible(id, visible);
}

void TTopoView::FindPlaceClass(int16_t id, TPlaceClassRec &rec) const
{
    Placemarks->FindPlaceClass(id, rec);
}

void TTopoView::ClearPlaceClasses()
{
    Placemarks->ClearPlaceClasses();
}

std::unique_ptr<TDrawnSurface> TTopoView::DrawnSurface() const
{
    // The vertex-buffer view draws the same quads from its buffer.
    return QuadMeshSurface(Terrain, Resolution, WorldSize);
}

std::vector<TPlaceOverlay::TMarker> TTopoView::SceneMarkers()
{
    std::vector<TOverlayMarker> markers;
    for (const auto &overlay : Scene.Overlays())
        // A heightmap's place on the Earth is made up: no placemarks on it.
        if (HgtLoaded || overlay != Placemarks)
            overlay->Markers(markers);
    const double half = WorldSize / 2.0;
    std::vector<TPlaceOverlay::TMarker> placed;
    for (const TOverlayMarker &marker : markers) {
        const auto world = Terrain.WorldAt(marker.Where);
        if (!world)
            continue;
        const double wx = (*world)[0], wz = (*world)[1];
        if (wx < -half || wx > half || wz < -half || wz > half)
            continue;
        const float x = float(wx), z = float(wz);
        placed.push_back({x, HeightAbove(x, z), z, marker.Color.R, marker.Color.G, marker.Color.B,
                          GlyphCodes(marker.Name)});
    }
    return placed;
}

void TTopoView::DrawOverlays()
{
    if (!overlayDrawing_)
        return;
    // Overlays and the ground they lie on change seldom: lay them out again
    // only then, not every frame. The vertical scale is the frame's matrix.
    // Laying long tracks on the ground takes a good part of a second, so
    // lines are laid again only when they or the ground changed, not when a
    // marker moved (the profile's hover mark, a measuring click's point).
    if (overlaysScene_ != Scene.Version() || overlaysGround_ != groundVersion_) {
        std::vector<TOverlayLine> lines = Scene.AllLines();
        if (overlaysGround_ != groundVersion_ || lines != overlaysLines_) {
            overlayDrawing_->SetLines(lines.empty() ? TDrapedLines()
                                                    : DrapeOverlayLines(lines, Terrain, *DrawnSurface(),
                                                                        DrapeTolerance(Terrain)));
            overlaysLines_ = std::move(lines);
        }
        overlayDrawing_->SetMarkers(SceneMarkers());
        overlaysScene_ = Scene.Version();
        overlaysGround_ = groundVersion_;
    }
    overlayDrawing_->Draw(frame_.ModelView, frame_.Projection, frame_.Viewport);
}
