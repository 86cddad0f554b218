#include "PlacemarkText.h"

#include "Placemarks.h"
#include "IntegerText.h"
#include "Options.h"
#include "TilePos.h"
#include "Utils.h"

#include <algorithm>
#include <optional>

namespace {

const char *const kPlacesSection = "Places";
const char *const kClassesSection = "MClasses";

// Pads to `width` characters; a UTF-8 sequence counts as one.
std::string PadRight(const std::string &text, size_t width)
{
    size_t chars = 0;
    for (const char c : text)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++chars;
    return chars >= width ? text : text + std::string(width - chars, ' ');
}

bool IsBlankOrControl(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

std::string Trim(const std::string &s)
{
    size_t b = 0, e = s.size();
    while (b < e && IsBlankOrControl(s[b]))
        ++b;
    while (e > b && IsBlankOrControl(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

// A stored line taken apart: the key before the first "=", and three tokens
// split off the value at blanks and commas with the rest after them.
struct TLineParts {
    std::string Key;
    std::string Tokens[3];
    std::string Rest;
};

bool IsCommentLine(const std::string &line)
{
    return line.empty() || line[0] == '#' || line[0] == '/';
}

bool SplitLine(const std::string &line, TLineParts &parts)
{
    if (IsCommentLine(line))
        return false;
    const auto eq = line.find('=');
    std::string value;
    if (eq != std::string::npos) {
        parts.Key = line.substr(0, eq);
        value = Trim(line.substr(eq + 1));
    }
    const auto isSeparator = [](char c) { return c == ' ' || c == ','; };
    size_t pos = 0;
    for (std::string &token : parts.Tokens) {
        const size_t start = pos;
        while (pos < value.size() && !isSeparator(value[pos]))
            ++pos;
        token = value.substr(start, pos - start);
        while (pos < value.size() && isSeparator(value[pos]))
            ++pos;
    }
    parts.Rest = value.substr(pos);
    return true;
}

// A placemark or class as a stored line gives it; nothing when the reader skips the line.
struct TPlaceFields {
    TLatLon Where;
    std::string Name;
    int16_t ClassId;
};
struct TClassFields {
    int16_t Id;
    std::string Name;
    float R, G, B;
};

std::optional<TPlaceFields> PlaceFields(const std::string &line)
{
    TLineParts parts;
    if (!SplitLine(line, parts))
        return {};
    try {
        const double lon = StrToFloatN(parts.Tokens[0]);
        const double lat = StrToFloatN(parts.Tokens[1]);
        return TPlaceFields{MakeLatLon(lon, lat), Trim(parts.Key), ClassIdFromInt(StrToIntDef(parts.Tokens[2], 0))};
    } catch (const EConvertError &) {
        return {};
    }
}

std::optional<TClassFields> ClassFields(const std::string &line)
{
    TLineParts parts;
    if (!SplitLine(line, parts))
        return {};
    try {
        // Components outside 0 … 1 draw as their nearest end anyway; kept as
        // read they could overflow a float and not be written back.
        const auto component = [](const std::string &token) {
            return static_cast<float>(std::clamp(StrToFloatN(token), 0.0, 1.0));
        };
        const float r = component(parts.Tokens[0]);
        const float g = component(parts.Tokens[1]);
        const float b = component(parts.Tokens[2]);
        return TClassFields{ClassIdFromInt(StrToIntDef(Trim(parts.Key), 0)), parts.Rest, r, g, b};
    } catch (const EConvertError &) {
        return {};
    }
}

} // namespace

int16_t ClassIdFromInt(int32_t value)
{
    return static_cast<int16_t>(static_cast<uint16_t>(value));
}

uint16_t ClassIdText(int16_t id)
{
    return static_cast<uint16_t>(id);
}

std::string PlaceLine(const TPlaceRec &place)
{
    const auto line = [&place](const std::string &name) {
        return PadRight(name, 40) + "=" + PadRight(FloatToStrN(place.Lon), 12) + "," + PadRight(FloatToStrN(place.Lat), 12)
               + "," + std::to_string(ClassIdText(place.ClassId));
    };
    // A name that turns the line into something the settings file image drops
    // (";") or the reader skips ("#", "/") gets a leading blank, which the
    // reader trims off again.
    const std::string plain = line(place.Name);
    return TIniFile::StoresLine(plain) && !IsCommentLine(plain) ? plain : line(" " + place.Name);
}

std::string PlaceClassLine(const TPlaceClassRec &placeClass)
{
    return PadRight(std::to_string(ClassIdText(placeClass.Id)), 5) + "=" + PadRight(FloatToStrN(placeClass.R), 3)
           + "," + PadRight(FloatToStrN(placeClass.G), 3) + "," + PadRight(FloatToStrN(placeClass.B), 3) + ","
           + placeClass.Name;
}

uint32_t ColorValueOf(float r, float g, float b)
{
    const auto byte = [](float c) { return static_cast<uint32_t>(static_cast<int32_t>(c * 255)) & 0xFF; };
    return byte(r) | byte(g) << 8 | byte(b) << 16;
}

void ColorComponents(uint32_t color, float &r, float &g, float &b)
{
    r = static_cast<float>(color & 0xFF) / 255;
    g = static_cast<float>((color >> 8) & 0xFF) / 255;
    b = static_cast<float>((color >> 16) & 0xFF) / 255;
}

bool ReadPlaceLine(const std::string &line, TPlacemarks &placemarks)
{
    const auto place = PlaceFields(line);
    if (place)
        placemarks.AddPlace(place->Where, place->Name, place->ClassId);
    return place.has_value();
}

bool ReadPlaceClassLine(const std::string &line, TPlacemarks &placemarks)
{
    const auto placeClass = ClassFields(line);
    if (placeClass)
        placemarks.AddPlaceClass(placeClass->Id, placeClass->Name, placeClass->R, placeClass->G, placeClass->B);
    return placeClass.has_value();
}

void LoadPlacemarks(TPlacemarks &placemarks, TPlacemarkLines &lines)
{
    lines.PlaceLines = ReadIniSection(kPlacesSection);
    lines.ClassLines = ReadIniSection(kClassesSection);
    PlacemarksFromText(placemarks, lines);
}

void PlacemarksFromText(TPlacemarks &placemarks, const TPlacemarkLines &lines)
{
    placemarks.ClearPlaces();
    for (const std::string &line : lines.PlaceLines)
        ReadPlaceLine(line, placemarks);
    placemarks.ClearPlaceClasses();
    for (const std::string &line : lines.ClassLines)
        ReadPlaceClassLine(line, placemarks);
}

void PlacemarksToText(const TPlacemarks &placemarks, TPlacemarkLines &lines)
{
    lines.ClassLines.clear();
    for (const auto &placeClass : placemarks.PlaceClasses)
        lines.ClassLines.push_back(PlaceClassLine(*placeClass));
    lines.PlaceLines.clear();
    for (const auto &place : placemarks.Places)
        lines.PlaceLines.push_back(PlaceLine(*place));
}

void StorePlacemarks(const TPlacemarks &placemarks, TPlacemarkLines &lines)
{
    PlacemarksToText(placemarks, lines);
    // Every placemark and class line is rewritten, not key by key: a placemark
    // deleted or renamed in the editor must not come back from its old line,
    // and two placemarks of the same name both stay. The user's comments and
    // lines that do not read (a typo in a coordinate) stay where they are.
    ReplaceIniRecords(kPlacesSection, lines.PlaceLines,
                      [](const std::string &line) { return PlaceFields(line).has_value(); });
    ReplaceIniRecords(kClassesSection, lines.ClassLines,
                      [](const std::string &line) { return ClassFields(line).has_value(); });
}
