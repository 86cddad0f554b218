// .hgt extraction from archives: whatever the archive holds, nothing is ever
// written outside the target folder, and a refused archive leaves it empty.
#include "FuzzSupport.h"
#include "TerrainError.h"
#include "ZipExtract.h"

#include <QDir>
#include <QDirIterator>

static void CheckInside(const std::string &folder, const std::string &path)
{
    const QString canonicalFolder = QDir(QString::fromStdString(folder)).canonicalPath();
    const QString file = QFileInfo(QString::fromStdString(path)).canonicalFilePath();
    if (!file.startsWith(canonicalFolder + "/"))
        __builtin_trap();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string archive = FuzzInputFile("N10E010.hgt.zip", data, size);
    const std::string folder = FuzzScratchFolder();
    try {
        for (const std::string &path : ExtractHgtEntries(archive, folder))
            CheckInside(folder, path);
    } catch (const ETerrainError &) {
        if (!QDir(QString::fromStdString(folder)).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden))
            __builtin_trap();
    }
    // Nothing may have appeared beside the scratch folder either.
    QDirIterator it(QString::fromStdString(folder), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        CheckInside(folder, it.next().toStdString());
    return 0;
}
