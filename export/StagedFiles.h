// Output files that appear complete or not at all. Each file of a set is
// written unnamed in its final folder (O_TMPFILE), synced to the disk, and
// only when every file of the set is complete are they linked in and renamed
// over the old ones, the main output last. A failed or killed export leaves
// the older files of the same names exactly as they were and nothing beside
// them. Where the file system has no unnamed files, a hidden file named after
// the process stands in, and an export to that folder later removes those of
// processes that are gone.
//
// Like the picture writers, an output that is a symbolic link has its target
// replaced (the link stays), a file that exists keeps its permissions (and
// one the user may not write is refused), and a new one gets the usual 0666
// less the umask. Names are bytes: a name that
// is not valid UTF-8 is written as given.
#pragma once

#include "OutFile.h"

#include <memory>
#include <string>
#include <vector>

class TStagedFiles {
public:
    // `target` names the main output. Throws ETerrainError naming it when it
    // names a folder or its folder does not exist.
    explicit TStagedFiles(const std::string &target);
    ~TStagedFiles();
    TStagedFiles(const TStagedFiles &) = delete;
    TStagedFiles &operator=(const TStagedFiles &) = delete;

    // The file to write for `finalPath` until Commit. Throws ETerrainError
    // naming `finalPath` when its folder cannot be written.
    TOutFile &Stage(const std::string &finalPath);
    // Syncs every staged file and puts them all in place; throws
    // ETerrainError naming the file that cannot be.
    void Commit();

    // The prefix of the stand-in files' names, followed by the process id.
    static constexpr const char *StandInPrefix = ".orolith-export-";

private:
    struct TStaged {
        std::string finalPath;  // as given: messages name it
        std::string written;    // the file to replace: finalPath with its links followed
        std::unique_ptr<TOutFile> file;
        std::string standIn;    // the named copy in the folder, once there is one
        bool unnamed = false;
    };
    void LinkIn(TStaged &staged);

    std::vector<TStaged> files_;
    bool committed_ = false;
};
