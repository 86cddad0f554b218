// Inputs are read only when they are regular files: opening a FIFO waits for
// a writer for ever, a device can be read without end, and a folder or a
// socket holds no file to read. Paths are examined before they are opened,
// and what was opened is checked again (it may have been swapped meanwhile).
#pragma once

#include <cstdint>
#include <string>

// Throws ETerrainError naming `path` unless it is a regular file (links
// followed): "cannot open the file: <reason>" when it cannot be examined,
// "is a folder, not <what>", "is not a regular file but a FIFO" (a device, a
// socket). Returns its size in bytes.
uint64_t RequireRegularFile(const std::string &path, const std::string &what);

// The whole file, read without throwing, for readers that go on without it.
struct TRegularFileRead {
    bool Missing = false; // nothing at the path (and no folder in the way)
    std::string Problem;  // why the file could not be read; empty when it was
    std::string Bytes;    // the whole file when it was read
    bool Read() const { return !Missing && Problem.empty(); }
};

TRegularFileRead ReadRegularFile(const std::string &path);
