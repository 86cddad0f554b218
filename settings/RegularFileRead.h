// Reading a whole file only when it is a regular file. A FIFO would block the
// open until some writer comes, a device could be read without end, and a
// folder holds no text: such paths are refused before they are opened for
// reading. (Tile files follow the same rule in the terrain loader; both could
// share this one day.)
#pragma once

#include <string>

struct TRegularFileRead {
    bool Missing = false; // nothing at the path (and no folder in the way)
    std::string Problem;  // why the file could not be read; empty when it was
    std::string Bytes;    // the whole file when it was read
    bool Read() const { return !Missing && Problem.empty(); }
};

TRegularFileRead ReadRegularFile(const std::string &path);
