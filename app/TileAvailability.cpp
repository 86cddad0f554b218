#include "TileAvailability.h"

#include "TilePos.h"

#include <QDir>

#include <cmath>

bool TTileAvailability::Set(int lat, int lon)
{
    if (!Inside(lat, lon))
        return false;
    available_[Index(lat, lon)] = true;
    return true;
}

bool TTileAvailability::Get(int lat, int lon) const
{
    return Inside(lat, lon) && available_[Index(lat, lon)];
}

int TTileAvailability::Count() const
{
    int n = 0;
    for (bool b : available_)
        n += b;
    return n;
}

int TTileAvailability::CountInside(int south, int west, int degrees) const
{
    int n = 0;
    for (int lat = south; lat < south + degrees; ++lat)
        for (int lon = west; lon < west + degrees; ++lon)
            n += Get(lat, lon);
    return n;
}

void TTileAvailability::Scan(const std::string &folder)
{
    Clear();
    if (folder.empty())
        return;
    // Hidden files count too; the match is case-sensitive because the browser
    // later opens the file by the tile name followed by exactly ".hgt.zip".
    QDir dir(QString::fromStdString(folder), QStringLiteral("*.hgt.zip"), QDir::NoSort,
             QDir::Files | QDir::Hidden | QDir::System);
    dir.setFilter(dir.filter() | QDir::CaseSensitive);
    for (const QString &name : dir.entryList()) {
        TTilePos pos{};
        TileOriginFromName(pos, name.toStdString());
        // Tile names allow up to 99° and 999°: such corners have no place on the map.
        Set(static_cast<int>(std::lround(pos.Lat)), static_cast<int>(std::lround(pos.Lon)));
    }
}
