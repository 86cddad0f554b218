// Placemarks and classes as text: the lines of the "Places" and "MClasses"
// sections of the settings file, and moving them between those lines and a
// view's placemarks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TPlacemarks;
struct TPlaceRec;
struct TPlaceClassRec;

// The two text lists the main window keeps beside its view.
struct TPlacemarkLines {
    std::vector<std::string> PlaceLines; // "Places" section
    std::vector<std::string> ClassLines; // "MClasses" section
};

// "%-40s=%-12s,%-12s,%d": name, longitude, latitude, class id 0 … 65535.
std::string PlaceLine(const TPlaceRec &place);
// "%-5d=%-3s,%-3s,%-3s,%s": id 0 … 65535, red, green, blue, name.
std::string PlaceClassLine(const TPlaceClassRec &placeClass);

// Ids are 16 bits: an integer read from text keeps its low 16 bits, and text
// shows them unsigned.
int16_t ClassIdFromInt(int32_t value);
uint16_t ClassIdText(int16_t id);

// A colour value keeps red in the lowest byte, green next, blue in the third;
// each byte is the component × 255, truncated.
uint32_t ColorValueOf(float r, float g, float b);
void ColorComponents(uint32_t color, float &r, float &g, float &b);

// One stored line added to the placemarks; false when the line was skipped (empty,
// a "#" or "/" comment, or numbers that do not read).
bool ReadPlaceLine(const std::string &line, TPlacemarks &placemarks);
bool ReadPlaceClassLine(const std::string &line, TPlacemarks &placemarks);

// Reads both sections of the settings file image into `lines`, then into the placemarks.
void LoadPlacemarks(TPlacemarks &placemarks, TPlacemarkLines &lines);
// Replaces the placemarks and classes by those the lines hold; every
// class comes back visible.
void PlacemarksFromText(TPlacemarks &placemarks, const TPlacemarkLines &lines);
void PlacemarksToText(const TPlacemarks &placemarks, TPlacemarkLines &lines);
// The placemark and class lists become the placemark and class lines of the two sections
// of the settings file image, one line per record: placemarks deleted since
// are gone, same names are all kept. Comment lines and lines that do not read
// stay in their places.
void StorePlacemarks(const TPlacemarks &placemarks, TPlacemarkLines &lines);
