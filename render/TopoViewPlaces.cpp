// Placemarks and their classes, and handing the visible ones to the overlay
// that draws them as markers with labels.
#include "TopoView.h"

#include "BitmapFont.h"
#include "PlaceOverlay.h"
#include "TilePos.h"

#include <QString>

#include <stdexcept>

namespace {

std::string ShortName(const std::string &name)
{
    const QString text = QString::fromStdString(name);
    return text.size() <= PlaceNameLength ? name : text.left(PlaceNameLength).toStdString();
}

} // namespace

void TTopoView::AddPlace(const TLatLon &where, const std::string &name, int16_t classId)
{
    auto place = std::make_unique<TPlaceRec>();
    place->Lat = where.Lat;
    place->Lon = where.Lon;
    place->Name = ShortName(name);
    place->ClassId = classId;
    Places.push_back(std::move(place));
    ContentChanged();
}

void TTopoView::GetPlace(int index, TPlaceRec &rec) const
{
    if (index < 0 || size_t(index) >= Places.size())
        throw std::out_of_range("no placemark number " + std::to_string(index));
    rec = *Places[size_t(index)];
}

void TTopoView::ClearPlaces()
{
    Places.clear();
    ContentChanged();
}

void TTopoView::AddPlaceClass(int16_t id, const std::string &name, float r, float g, float b)
{
    auto placeClass = std::make_unique<TPlaceClassRec>();
    placeClass->Id = id;
    placeClass->Name = ShortName(name);
    placeClass->R = r;
    placeClass->G = g;
    placeClass->B = b;
    placeClass->Visible = true;
    PlaceClasses.push_back(std::move(placeClass));
    ContentChanged();
}

void TTopoView::SetClassVisible(int16_t id, bool visible)
{
    for (auto &placeClass : PlaceClasses)
        if (placeClass->Id == id)
            placeClass->Visible = visible;
    ContentChanged();
}

const TPlaceClassRec *TTopoView::ClassOf(int16_t id) const
{
    for (const auto &placeClass : PlaceClasses)
        if (placeClass->Id == id)
            return placeClass.get();
    return nullptr;
}

void TTopoView::FindPlaceClass(int16_t id, TPlaceClassRec &rec) const
{
    const TPlaceClassRec *found = ClassOf(id);
    rec = found ? *found : TPlaceClassRec();
}

void TTopoView::ClearPlaceClasses()
{
    PlaceClasses.clear();
    ContentChanged();
}

std::vector<TPlaceOverlay::TMarker> TTopoView::VisibleMarkers()
{
    const double half = WorldSize / 2.0;
    std::vector<TPlaceOverlay::TMarker> markers;
    for (const auto &place : Places) {
        // A missing class reads as the default record: not visible.
        const TPlaceClassRec *placeClass = ClassOf(place->ClassId);
        if (!placeClass || !placeClass->Visible)
            continue;
        const auto world = Terrain.WorldAt({place->Lat, place->Lon});
        if (!world)
            continue;
        const double wx = (*world)[0], wz = (*world)[1];
        if (wx < -half || wx > half || wz < -half || wz > half)
            continue;
        const float x = float(wx), z = float(wz);
        markers.push_back({x, HeightAbove(x, z), z, placeClass->R, placeClass->G, placeClass->B,
                           GlyphCodes(place->Name)});
    }
    return markers;
}

void TTopoView::DrawPlaces()
{
    if (!placeOverlay_)
        return;
    // Places, classes and the ground they stand on change seldom: look them
    // up again only then, not every frame.
    if (overlayVersion_ != contentVersion_) {
        placeOverlay_->SetMarkers(VisibleMarkers());
        overlayVersion_ = contentVersion_;
    }
    placeOverlay_->Draw(frame_.ModelView, frame_.Projection, frame_.Viewport);
}
