// Placemark and class lines from a hand-edited settings file: any line is
// either skipped or read into the placemarks, and a line read is written back in
// the stored format so that it reads again to the same record.
#include "PlacemarkText.h"
#include "Placemarks.h"

#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static TPlacemarks view;
    view.ClearPlaces();
    view.ClearPlaceClasses();
    std::istringstream lines(std::string(reinterpret_cast<const char *>(data), size));
    std::string line;
    while (std::getline(lines, line)) {
        if (ReadPlaceLine(line, view)) {
            const TPlaceRec first = *view.Places.back();
            if (!ReadPlaceLine(PlaceLine(first), view))
                __builtin_trap();
            const TPlaceRec &again = *view.Places.back();
            if (again.ClassId != first.ClassId || again.Name.size() > first.Name.size() + 0)
                __builtin_trap();
        }
        if (ReadPlaceClassLine(line, view)) {
            const TPlaceClassRec first = *view.PlaceClasses.back();
            if (!ReadPlaceClassLine(PlaceClassLine(first), view))
                __builtin_trap();
            if (view.PlaceClasses.back()->Id != first.Id)
                __builtin_trap();
        }
    }
    return 0;
}
