// The tracks a command draws or exports: every "--track FILE" read into one
// overlay of the view's scene, in the order given.
#pragma once

#include <string>

struct CliArgs;
class TTopoView;

inline constexpr const char *CliTracksUsage = "[--track T.gpx]...";

// Throws ETerrainError naming the file that cannot be read as a track.
void CliAddTracks(TTopoView &view, const CliArgs &args);
