#include "Placemarks.h"

#include <QString>

#include <stdexcept>

namespace {

std::string ShortName(const std::string &name)
{
    const QString text = QString::fromStdString(name);
    return text.size() <= PlaceNameLength ? name : text.left(PlaceNameLength).toStdString();
}

} // namespace

void TPlacemarks::Changed() const
{
    if (OnChanged)
        OnChanged();
}

void TPlacemarks::AddPlace(const TLatLon &where, const std::string &name, int16_t classId)
{
    auto place = std::make_unique<TPlaceRec>();
    place->Lat = where.Lat;
    place->Lon = where.Lon;
    place->Name = ShortName(name);
    place->ClassId = classId;
    Places.push_back(std::move(place));
    Changed();
}

void TPlacemarks::GetPlace(int index, TPlaceRec &rec) const
{
    if (index < 0 || size_t(index) >= Places.size())
        throw std::out_of_range("no placemark number " + std::to_string(index));
    rec = *Places[size_t(index)];
}

void TPlacemarks::ClearPlaces()
{
    Places.clear();
    Changed();
}

void TPlacemarks::AddPlaceClass(int16_t id, const std::string &name, float r, float g, float b)
{
    auto placeClass = std::make_unique<TPlaceClassRec>();
    placeClass->Id = id;
    placeClass->Name = ShortName(name);
    placeClass->R = r;
    placeClass->G = g;
    placeClass->B = b;
    placeClass->Visible = true;
    PlaceClasses.push_back(std::move(placeClass));
    Changed();
}

void TPlacemarks::SetClassVisible(int16_t id, bool visible)
{
    for (auto &placeClass : PlaceClasses)
        if (placeClass->Id == id)
            placeClass->Visible = visible;
    Changed();
}

const TPlaceClassRec *TPlacemarks::ClassOf(int16_t id) const
{
    for (const auto &placeClass : PlaceClasses)
        if (placeClass->Id == id)
            return placeClass.get();
    return nullptr;
}

void TPlacemarks::FindPlaceClass(int16_t id, TPlaceClassRec &rec) const
{
    const TPlaceClassRec *found = ClassOf(id);
    rec = found ? *found : TPlaceClassRec();
}

void TPlacemarks::ClearPlaceClasses()
{
    PlaceClasses.clear();
    Changed();
}

void TPlacemarks::Markers(std::vector<TOverlayMarker> &out) const
{
    for (const auto &place : Places) {
        const TPlaceClassRec *placeClass = ClassOf(place->ClassId);
        if (placeClass && placeClass->Visible)
            out.push_back({{place->Lat, place->Lon}, place->Name, {placeClass->R, placeClass->G, placeClass->B}});
    }
}
