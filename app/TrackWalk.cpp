#include "TrackWalk.h"

#include <algorithm>
#include <cmath>

TTrackWalk::TTrackWalk(std::vector<TPoint> path) : path_(std::move(path))
{
    along_.reserve(path_.size());
    for (size_t i = 0; i < path_.size(); ++i) {
        if (i > 0)
            length_ += std::hypot(path_[i][0] - path_[i - 1][0], path_[i][1] - path_[i - 1][1]);
        along_.push_back(length_);
    }
}

void TTrackWalk::Advance(float step)
{
    walked_ = std::min(length_, walked_ + std::max(0.0f, step));
}

TTrackWalk::TPoint TTrackWalk::PointAt(float distance) const
{
    if (path_.empty())
        return {0, 0};
    const auto next = std::upper_bound(along_.begin(), along_.end(), distance);
    if (next == along_.begin())
        return path_.front();
    if (next == along_.end())
        return path_.back();
    const size_t i = size_t(next - along_.begin());
    const float leg = along_[i] - along_[i - 1];
    const float t = leg > 0 ? (distance - along_[i - 1]) / leg : 0;
    const TPoint &a = path_[i - 1], &b = path_[i];
    return {a[0] + t * (b[0] - a[0]), a[1] + t * (b[1] - a[1])};
}

// The pad moves the eye along (−sin h, −cos h) for a heading h, as its
// forward button does.
float TTrackWalk::HeadingAhead(float ahead) const
{
    TPoint from = PointAt(walked_);
    TPoint to = PointAt(std::min(length_, walked_ + ahead));
    if (to == from)  // at the end: keep looking the way it came
        from = PointAt(std::max(0.0f, walked_ - ahead));
    const double degrees =
        std::atan2(-double(to[0] - from[0]), -double(to[1] - from[1])) * 180.0 / 3.14159265358979323846;
    return float(degrees < 0 ? degrees + 360 : degrees);
}
