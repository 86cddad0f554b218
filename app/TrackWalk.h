// A walk along a line on the terrain square: where the walker is after some
// distance and which way it looks, a little ahead so that corners are turned
// before they are reached.
#pragma once

#include <array>
#include <vector>

class TTrackWalk {
public:
    using TPoint = std::array<float, 2>;  // world X, Z

    explicit TTrackWalk(std::vector<TPoint> path);

    // Moves `step` world units on; the walk is done at the line's end.
    void Advance(float step);
    bool Done() const { return walked_ >= length_; }
    TPoint Position() const { return PointAt(walked_); }
    // The pad's walking direction (degrees, 0 … 360) toward the point
    // `ahead` world units further along.
    float HeadingAhead(float ahead) const;

private:
    TPoint PointAt(float distance) const;

    std::vector<TPoint> path_;
    std::vector<float> along_;  // distance of each point from the start
    float length_ = 0;
    float walked_ = 0;
};
