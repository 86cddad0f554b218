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
    // Hidden files count too. ".hgt.zip" is matched in lower case only, the
    // form the browser has always listed; the filter (in any case) only
    // spares looking at files of other kinds, a home folder's many.
    QDir dir(QString::fromStdString(folder), QString(), QDir::NoSort, QDir::Files | QDir::Hidden | QDir::System);
    dir.setNameFilters({QStringLiteral("*.hgt.zip"), QStringLiteral("*.tif"), QStringLiteral("*.tiff")});
    for (const QString &entry : dir.entryList()) {
        const std::string name = entry.toStdString();
        const auto path = [&] { return dir.filePath(entry).toStdString(); };
        int lat = 0, lon = 0;
        if (entry.endsWith(QStringLiteral(".hgt.zip"))) {
            TTilePos pos{};
            TileOriginFromName(pos, name);
            // Tile names allow up to 99° and 999°: such corners have no place on the map.
            lat = static_cast<int>(std::lround(pos.Lat));
            lon = static_cast<int>(std::lround(pos.Lon));
            if (Set(lat, lon) && IsTileName(name))
                srtm_[Index(lat, lon)] = path();
        } else if (CopernicusTileCorner(name, lat, lon) && Set(lat, lon)) {
            copernicus_[Index(lat, lon)] = path();
        }
    }
}
