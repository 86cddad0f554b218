#include "ProfileLink.h"

void TPointMarker::Markers(std::vector<TOverlayMarker> &out) const
{
    if (Where)
        out.push_back({*Where, std::string(), {1.0f, 0.15f, 0.1f}});
}
