// The square height grid: signed 16-bit metres, -32768 marking a void.
#pragma once

#include "HugePages.h"

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

// Addressed by column (west to east) then row (north to south), like the
// tile's own description; stored row by row, the order of the .hgt file, so
// a load is one sequential pass.
class TSIArray {
public:
    static constexpr int16_t Void = -32768;

    // n × n samples, all `value`; n = 0 empties the grid.
    void SetSize(int n, int16_t value = 0)
    {
        n_ = n < 0 ? 0 : n;
        const size_t count = static_cast<size_t>(n_) * static_cast<size_t>(n_);
        TStorage().swap(data_);
        // Fresh memory is zeroed already: zeros need no pass over it.
        if (value == 0)
            data_.resize(count);
        else
            data_.assign(count, value);
    }
    int Size() const { return n_; }
    bool Empty() const { return n_ == 0; }

    int16_t &operator()(int col, int row) { return data_[static_cast<size_t>(row) * n_ + col]; }
    int16_t operator()(int col, int row) const { return data_[static_cast<size_t>(row) * n_ + col]; }

    int16_t *Row(int row) { return data_.data() + static_cast<size_t>(row) * n_; }
    const int16_t *Row(int row) const { return data_.data() + static_cast<size_t>(row) * n_; }

    void Swap(TSIArray &other) noexcept
    {
        std::swap(n_, other.n_);
        data_.swap(other.data_);
    }

private:
    int n_ = 0;
    // A 3601 tile is 26 MB, a block of tiles up to 415 MB: cheap to touch first.
    using TStorage = std::vector<int16_t, TLargeAllocator<int16_t>>;
    TStorage data_;
};
