// Progress 0 … 1 over a count of items, reported about fifty times, and 1
// when the work is done.
#pragma once

#include <algorithm>
#include <cstddef>
#include <functional>

class TStepProgress {
public:
    TStepProgress(const std::function<void(float)> &progress, size_t total)
        : progress_(progress), total_(std::max<size_t>(total, 1)), every_(std::max<size_t>(total_ / 50, 1))
    {
        if (progress_)
            progress_(0);
    }
    void At(size_t done)
    {
        if (progress_ && done % every_ == 0)
            progress_(float(double(done) / double(total_)));
    }
    ~TStepProgress()
    {
        if (progress_)
            progress_(1);
    }

private:
    const std::function<void(float)> &progress_;
    size_t total_, every_;
};
