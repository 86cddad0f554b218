#include "CliTracks.h"

#include "CliCommand.h"
#include "TopoView.h"
#include "Track.h"

#include <memory>

void CliAddTracks(TTopoView &view, const CliArgs &args)
{
    auto tracks = std::make_shared<TTrackOverlay>();
    for (const auto &[name, value] : args.options)
        if (name == "track")
            tracks->Add(ReadTrack(value));
    if (!tracks->Tracks.empty())
        view.Scene.Add(std::move(tracks));
}
