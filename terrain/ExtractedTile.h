// A tile taken out of its .hgt.zip to be loaded. The member goes into a
// private folder inside the temporary folder, so no file of the user's there
// is replaced or removed, and the folder goes with the object however the
// load ends.
#pragma once

#include "TerrainError.h"

#include <QTemporaryDir>

#include <memory>
#include <string>

class TExtractedTile {
public:
    // With no member: the one ExtractTileFromZip picks (named like the archive
    // without ".zip", else the first .hgt). With a member: exactly that bare
    // name, refused when the archive lacks it. Throws ETerrainError naming
    // the archive.
    explicit TExtractedTile(const std::string &archive, const std::string &member = {});

    const std::string &Path() const { return path_; }

    // Calls load(Path()). An ETerrainError it throws is thrown again naming
    // the archive and the member: the extracted copy's path means nothing to
    // the user.
    template <class F>
    void Load(F &&load) const
    {
        try {
            load(path_);
        } catch (const ETerrainError &e) {
            throw ETerrainError(member_ + ": " + e.what(), archive_);
        }
    }

private:
    std::unique_ptr<QTemporaryDir> folder_;
    std::string archive_, member_, path_;
};
