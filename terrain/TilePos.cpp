#include "TilePos.h"

#include "Utils.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <regex>

void TTilePos::SetOrigin(double lat, double lon)
{
    Lat = lat;
    Lon = lon;
}

void TTilePos::SetOffset(double dLat, double dLon)
{
    DLat = dLat;
    DLon = dLon;
}

void TTilePos::SetOffsetFromLatLon(double lat, double lon)
{
    DLat = lat - Lat;
    DLon = lon - Lon;
}

void TTilePos::SetOffsetFromWorld(double tx, double tz)
{
    DLon = (Size / 2.0 - tx) / Size * Span;
    DLat = (Size / 2.0 + tz) / Size * Span;
}

TLatLon TTilePos::GetLatLon() const
{
    return {Lat + DLat, Lon + DLon};
}

void TTilePos::GetWorldXZ(double &x, double &z) const
{
    x = Size * (DLon / Span) - Size / 2.0;
    z = Size / 2.0 - Size * (DLat / Span);
}

namespace {

std::string WithoutFolder(const std::string &fileName)
{
    const size_t slash = fileName.find_last_of('/');
    return slash == std::string::npos ? fileName : fileName.substr(slash + 1);
}

// The name with lower-case hemisphere letters raised, so that n47e011.hgt
// reads like N47E011.hgt; other letters are left for the mask to judge.
std::string RaisedHemispheres(std::string name)
{
    const auto raise = [&](size_t at, const char *letters) {
        if (name.size() > at && std::strchr(letters, name[at]))
            name[at] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[at])));
    };
    raise(0, "ns");
    raise(3, "ew");
    return name;
}

}  // namespace

bool IsTileName(const std::string &fileName)
{
    const std::string name = RaisedHemispheres(WithoutFolder(fileName));
    return MatchesMask(name, "C00C000.*") && (name[0] == 'N' || name[0] == 'S') && (name[3] == 'E' || name[3] == 'W');
}

void TileOriginFromName(TTilePos &pos, const std::string &fileName)
{
    std::string name = RaisedHemispheres(WithoutFolder(fileName));
    if (!MatchesMask(name, "C00C000.*")) {
        pos.SetOrigin(0, 0);
        return;
    }
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos)
        name.erase(dot);
    // The mask guarantees digits where numbers stand; a name shorter than the
    // mask ("N47") simply has empty pieces, which count as 0.
    auto number = [&](size_t from, size_t count) {
        int value = 0;
        for (size_t i = from; i < from + count && i < name.size(); ++i)
            value = value * 10 + (name[i] - '0');
        return value;
    };
    const int latSign = name.compare(0, 1, "N") == 0 ? 1 : -1;
    const int lonSign = name.size() > 3 && name[3] == 'E' ? 1 : -1;
    pos.SetOrigin(latSign * number(1, 2), lonSign * number(4, 3));
}

bool CopernicusTileCorner(const std::string &fileName, int &lat, int &lon)
{
    static const std::regex name(R"(copernicus_dsm_(cog_)?(10|30)_([ns])(\d\d)_00_([ew])(\d\d\d)_00_dem\.tiff?)",
                                 std::regex::icase | std::regex::optimize);
    std::smatch m;
    const std::string bare = WithoutFolder(fileName);
    if (!std::regex_match(bare, m, name))
        return false;
    lat = std::stoi(m[4]) * (std::tolower(static_cast<unsigned char>(m[3].str()[0])) == 'n' ? 1 : -1);
    lon = std::stoi(m[6]) * (std::tolower(static_cast<unsigned char>(m[5].str()[0])) == 'e' ? 1 : -1);
    return true;
}

bool IsCopernicusTileName(const std::string &fileName)
{
    int lat = 0, lon = 0;
    return CopernicusTileCorner(fileName, lat, lon);
}

namespace {

// |value| rounded half to even, kept within what the name's digits can hold.
int RoundedDegrees(double value, int limit)
{
    const double r = std::nearbyint(std::fabs(value));  // the default rounding mode: halves to even
    if (!(r <= limit))  // also NaN
        return r > limit ? limit : 0;
    return static_cast<int>(r);
}

// Fixed six decimals with "." as separator; printf would follow the user's locale.
std::string SixDecimals(double value)
{
    char buf[64];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 6);
    return ec == std::errc() ? std::string(buf, end) : std::string("?");
}

}  // namespace

std::string TileNameFor(const TTilePos &pos)
{
    const double lat = pos.Lat + pos.DLat;
    const double lon = pos.Lon + pos.DLon;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%s%.2d%s%.3d", lat >= 0 ? "N" : "S", RoundedDegrees(lat, 99),
                  lon >= 0 ? "E" : "W", RoundedDegrees(lon, 999));
    return buf;
}

std::string FormatLatLon(const TLatLon &p)
{
    // Same layout as "%3.6f%s  %3.6f%s"; the width 3 never pads, the decimals already make it longer.
    return SixDecimals(std::fabs(p.Lon)) + (p.Lon >= 0 ? "E" : "W") + "  " + SixDecimals(std::fabs(p.Lat)) +
           (p.Lat >= 0 ? "N" : "S");
}

TLatLon MakeLatLon(double lon, double lat)
{
    return {lat, lon};
}
