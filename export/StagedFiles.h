// Output files that appear complete or not at all. Everything is written
// into a private folder beside the target and renamed into place only when
// every file of the set is done, so a failed export never leaves a partial
// model, nor an .obj whose .mtl is missing, and never touches older files of
// the same names.
#pragma once

#include <QTemporaryDir>

#include <memory>
#include <string>
#include <vector>

class TStagedFiles {
public:
    // `target` names the main output; its folder takes the private folder.
    // Throws ETerrainError naming `target` when that folder cannot be written.
    explicit TStagedFiles(const std::string &target);

    // Where to write `finalPath` (a file in the target's folder) for now:
    // the same file name inside the private folder.
    std::string Stage(const std::string &finalPath);
    // Renames every staged file over its final path; throws ETerrainError
    // naming the target when one cannot be put in place.
    void Commit();

private:
    std::string target_;
    std::unique_ptr<QTemporaryDir> dir_;
    std::vector<std::pair<std::string, std::string>> files_;  // staged, final
};
