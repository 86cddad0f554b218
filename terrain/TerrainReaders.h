// The kinds of file terrain is read from, each with the reader that opens
// it, in one list: the file dialogs' filters, the help texts and the refusal
// of a file nobody reads all come from here. A new format is one new reader
// and one line in TerrainReaders().
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

class TTerrainSource;

struct TTerrainReader {
    std::string Name;                   // "Uncompressed Heightmaps": a file dialog's filter name
    std::vector<std::string> Patterns;  // "*.hgt.zip": the names it is offered, any case
    // Whether it opens this file; readers are asked in the list's order, so a
    // reader of particular names (Copernicus tiles) stands before a general one.
    std::function<bool(const std::string &path)> Takes;
    // The source that loads the file.
    std::function<std::unique_ptr<TTerrainSource>(const std::string &path)> Open;
};

const std::vector<TTerrainReader> &TerrainReaders();

// The first reader that takes `path`, or null.
const TTerrainReader *ReaderFor(const std::string &path);

// Every reader as a filter, then "All Heightmaps" with all their patterns,
// in the "Name|*.a;*.b|…" form of the file dialogs (no "All Files").
std::string TerrainFileFilter();
// The patterns of all readers, for help texts: "*.hgt, *.hgt.zip, *.bmp, …".
std::string TerrainFilePatterns();

// Whether a file name matches a pattern of the form "*.ext" or "*.a.b",
// without regard to case.
bool MatchesPattern(const std::string &path, const std::string &pattern);
