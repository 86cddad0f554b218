// Named points on the Earth in coloured classes that can be hidden: the
// first overlay of every view. The lists keep insertion order; the settings
// file's text form lives in settings/PlacemarkText.h.
#pragma once

#include "Overlay.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// Names are cut to this many characters.
inline constexpr int PlaceNameLength = 40;

struct TPlaceRec {
    double Lat = 0;       // degrees, north positive
    double Lon = 0;       // degrees, east positive
    std::string Name;     // UTF-8, at most PlaceNameLength characters
    int16_t ClassId = 0;
};

struct TPlaceClassRec {
    int16_t Id = 0;
    std::string Name;     // UTF-8, at most PlaceNameLength characters
    float R = 0, G = 0, B = 0;  // marker colour, 0 … 1
    bool Visible = false;
};

class TPlacemarks : public TOverlay {
public:
    std::vector<std::unique_ptr<TPlaceRec>> Places;
    std::vector<std::unique_ptr<TPlaceClassRec>> PlaceClasses;
    // Called after every change (the view's scene takes a new version).
    std::function<void()> OnChanged;

    void AddPlace(const TLatLon &where, const std::string &name, int16_t classId);
    // Throws std::out_of_range for an index that is not in the list.
    void GetPlace(int index, TPlaceRec &rec) const;
    void ClearPlaces();
    // The new class is visible.
    void AddPlaceClass(int16_t id, const std::string &name, float r, float g, float b);
    // Applies to every class with this id.
    void SetClassVisible(int16_t id, bool visible);
    // The first class with this id; all zeros (invisible, black) when none has it.
    void FindPlaceClass(int16_t id, TPlaceClassRec &rec) const;
    void ClearPlaceClasses();

    // The places of visible classes in list order, in their class's colour.
    // A place whose class does not exist counts as hidden.
    void Markers(std::vector<TOverlayMarker> &out) const override;

private:
    const TPlaceClassRec *ClassOf(int16_t id) const;
    void Changed() const;
};
