#include "StagedFiles.h"

#include "TerrainError.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>

TStagedFiles::TStagedFiles(const std::string &target) : target_(target)
{
    const QFileInfo info(QString::fromStdString(target));
    if (info.fileName().isEmpty())
        throw ETerrainError("names a folder, not a file", target);
    if (info.isDir())
        throw ETerrainError("is a folder", target);
    const QString folder = info.absolutePath();
    if (!QFileInfo(folder).isDir())
        throw ETerrainError("the folder does not exist", target);
    dir_ = std::make_unique<QTemporaryDir>(folder + QStringLiteral("/.orolith-export-XXXXXX"));
    if (!dir_->isValid())
        throw ETerrainError("cannot write into the folder: " + dir_->errorString().toStdString(), target);
}

std::string TStagedFiles::Stage(const std::string &finalPath)
{
    const QString name = QFileInfo(QString::fromStdString(finalPath)).fileName();
    std::string staged = dir_->filePath(name).toStdString();
    files_.emplace_back(staged, finalPath);
    return staged;
}

void TStagedFiles::Commit()
{
    for (const auto &[staged, final] : files_)
        if (!QFileInfo::exists(QString::fromStdString(staged)))
            throw ETerrainError("the file was not written", final);
    // The main output last: once it is there, everything it refers to is too.
    for (auto it = files_.rbegin(); it != files_.rend(); ++it)
        if (std::rename(it->first.c_str(), it->second.c_str()) != 0)
            throw ETerrainError(std::string("cannot put the file in place: ") + std::strerror(errno), it->second);
}
