#include "ExtractedTile.h"

#include "ZipExtract.h"

#include <QFileInfo>

#include <algorithm>
#include <vector>

TExtractedTile::TExtractedTile(const std::string &archive, const std::string &member)
    : folder_(QString::fromStdString(GetTempFolder() + "orolith-tile-XXXXXX")), archive_(archive)
{
    if (!folder_.isValid())
        throw ETerrainError("cannot create a temporary folder: " + folder_.errorString().toStdString(), archive);
    const std::string folder = IncludeTrailingSeparator(folder_.path().toStdString());
    if (member.empty()) {
        path_ = ExtractTileFromZip(archive, folder);
        return;
    }
    const std::vector<std::string> extracted = ExtractHgtEntries(archive, folder);
    path_ = folder + member;
    if (std::find(extracted.begin(), extracted.end(), path_) == extracted.end())
        throw ETerrainError("the archive holds no " + member, archive);
}

std::string TExtractedTile::MemberName() const
{
    return QFileInfo(QString::fromStdString(path_)).fileName().toStdString();
}
