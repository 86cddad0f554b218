#include "TerrainReaders.h"

#include "TerrainSource.h"

#include <algorithm>
#include <cctype>

// Each reader's own file says how it reads; these say which names it takes.
std::vector<TTerrainReader> TileFileReaders();
std::vector<TTerrainReader> RasterFileReaders();

const std::vector<TTerrainReader> &TerrainReaders()
{
    static const std::vector<TTerrainReader> readers = [] {
        std::vector<TTerrainReader> all = TileFileReaders();
        for (TTerrainReader &reader : RasterFileReaders())
            all.push_back(std::move(reader));
        return all;
    }();
    return readers;
}

bool MatchesPattern(const std::string &path, const std::string &pattern)
{
    const std::string tail = pattern.substr(pattern.find('*') == 0 ? 1 : 0);
    if (path.size() < tail.size())
        return false;
    return std::equal(tail.begin(), tail.end(), path.end() - static_cast<std::ptrdiff_t>(tail.size()),
                      [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b)); });
}

const TTerrainReader *ReaderFor(const std::string &path)
{
    for (const TTerrainReader &reader : TerrainReaders())
        if (reader.Takes(path))
            return &reader;
    return nullptr;
}

namespace {

std::string Joined(const std::vector<std::string> &parts, const std::string &separator)
{
    std::string text;
    for (const std::string &part : parts)
        text += (text.empty() ? "" : separator) + part;
    return text;
}

std::vector<std::string> AllPatterns()
{
    std::vector<std::string> all;
    for (const TTerrainReader &reader : TerrainReaders())
        for (const std::string &pattern : reader.Patterns)
            if (std::find(all.begin(), all.end(), pattern) == all.end())
                all.push_back(pattern);
    return all;
}

}  // namespace

std::string TerrainFileFilter()
{
    std::string filter;
    for (const TTerrainReader &reader : TerrainReaders())
        if (!reader.Patterns.empty())
            filter += reader.Name + "|" + Joined(reader.Patterns, ";") + "|";
    return filter + "All Heightmaps|" + Joined(AllPatterns(), ";");
}

std::string TerrainFilePatterns()
{
    return Joined(AllPatterns(), ", ");
}
