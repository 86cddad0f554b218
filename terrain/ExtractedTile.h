// A tile taken out of its .hgt.zip to be loaded. The member goes into a
// private folder inside the temporary folder, so no file of the user's there
// is replaced or removed, and the folder goes with the object however the
// load ends.
#pragma once

#include "TerrainError.h"
#include "Utils.h"

#include <QTemporaryDir>

#include <string>

class TExtractedTile {
public:
    // With no member: the one ExtractTileFromZip picks (named like the archive
    // without ".zip", else the first .hgt). With a member: exactly that bare
    // name, refused when the archive lacks it. Throws ETerrainError naming
    // the archive.
    explicit TExtractedTile(const std::string &archive, const std::string &member = {});

    // Calls load(the extracted tile's path). An ETerrainError it throws is
    // thrown again naming the archive and the member: the extracted copy's
    // path means nothing to the user.
    template <class F>
    void Load(F &&load) const
    {
        try {
            load(path_);
        } catch (const ETerrainError &e) {
            throw ETerrainError(MemberName() + ": " + e.what(), archive_);
        }
    }

private:
    std::string MemberName() const;

    QTemporaryDir folder_;
    std::string archive_, path_;
};

// A terrain file as the user names it: the tile of a .zip archive is
// extracted and handed to `load` as above; any other file goes to `load` as
// it is.
template <class F>
void LoadTerrainPath(const std::string &path, F &&load)
{
    if (LowerExtension(path) == "zip")
        TExtractedTile(path).Load(load);
    else
        load(path);
}
