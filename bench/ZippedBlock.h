// A block of made-up tiles, each zipped as users download them, for the
// benchmarks of blocks of tiles.
#pragma once

#include "SyntheticTile.h"

#include <QDir>

#include <zip.h>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

// side × side tiles of `samples` a side, the south-west one at (south, west),
// as NAME.hgt.zip archives in `folder`; returns their paths.
inline std::vector<std::string> WriteZippedBlock(const QString &folder, int south, int west, int side, int samples)
{
    std::vector<std::string> archives;
    for (int lat = south; lat < south + side; ++lat)
        for (int lon = west; lon < west + side; ++lon) {
            char name[16];
            std::snprintf(name, sizeof name, "N%02dE%03d", lat, lon);
            const std::string archive = QDir(folder).filePath(QString::fromLatin1(name) + ".hgt.zip").toStdString();
            const std::vector<uint8_t> bytes = MakeSyntheticHgt(samples, static_cast<uint32_t>(100 + lat * 10 + lon));
            int error = 0;
            zip_t *zip = zip_open(archive.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
            const std::string member = std::string(name) + ".hgt";
            if (!zip || zip_file_add(zip, member.c_str(), zip_source_buffer(zip, bytes.data(), bytes.size(), 0), 0) < 0 ||
                zip_close(zip) != 0)
                throw std::runtime_error("cannot write " + archive);
            archives.push_back(archive);
        }
    return archives;
}
