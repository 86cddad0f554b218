#include "ParallelRows.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

int ResolveThreadCount(int threads)
{
    if (threads > 0)
        return threads;
    return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

void ParallelRows(int rows, int threads, const std::function<void(int row)> &work,
                  const std::function<void(int done)> &onRowsDone)
{
    if (rows <= 0) {
        if (onRowsDone)
            onRowsDone(0);
        return;
    }
    std::atomic<int> next{0};
    std::atomic<int> done{0};
    auto drain = [&] {
        for (int row; (row = next.fetch_add(1, std::memory_order_relaxed)) < rows;) {
            work(row);
            done.fetch_add(1, std::memory_order_release);
        }
    };

    std::vector<std::jthread> helpers;
    const int count = std::min(ResolveThreadCount(threads), rows);
    for (int i = 1; i < count; ++i)
        helpers.emplace_back(drain);

    // The caller takes rows too and reports after each of its own; once the
    // rows run out, the helpers are at most one row each from finishing.
    int reported = 0;
    for (int row; (row = next.fetch_add(1, std::memory_order_relaxed)) < rows;) {
        work(row);
        const int now = done.fetch_add(1, std::memory_order_acq_rel) + 1;
        if (onRowsDone && now > reported && now < rows)
            onRowsDone(reported = now);
    }
    helpers.clear(); // joins
    if (onRowsDone)
        onRowsDone(rows);
}
