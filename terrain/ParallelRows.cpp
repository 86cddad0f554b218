#include "ParallelRows.h"

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>
#include <vector>

int ResolveThreadCount(int threads)
{
    if (threads > 0)
        return threads;
    return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

void ParallelBands(int bands, int rows, int threads,
                   const std::function<void(int band, int worker, const std::function<void()> &rowDone)> &work,
                   const std::function<void(int done)> &onRowsDone)
{
    std::atomic<int> next{0};
    std::atomic<int> done{0};
    auto drain = [&](int worker, const std::function<void()> &rowDone) {
        for (int band; (band = next.fetch_add(1, std::memory_order_relaxed)) < bands;)
            work(band, worker, rowDone);
    };
    const std::function<void()> countOnly = [&] { done.fetch_add(1, std::memory_order_relaxed); };
    // The caller reports after each of its own rows; once the bands run out,
    // the helpers are at most one band each from finishing.
    int reported = 0;
    const std::function<void()> countAndReport = [&] {
        const int now = done.fetch_add(1, std::memory_order_relaxed) + 1;
        if (onRowsDone && now > reported && now < rows)
            onRowsDone(reported = now);
    };

    std::vector<std::jthread> helpers;
    const int count = std::min(ResolveThreadCount(threads), std::max(bands, 1));
    // A thread the system refuses only means fewer hands: the caller and
    // whatever helpers did start still take every band.
    try {
        for (int i = 1; i < count; ++i)
            helpers.emplace_back(drain, i, std::cref(countOnly));
    } catch (const std::system_error &) {
    }
    drain(0, countAndReport);
    helpers.clear(); // joins
    if (onRowsDone)
        onRowsDone(rows);
}

void ParallelRows(int rows, int threads, const std::function<void(int row, int worker)> &work,
                  const std::function<void(int done)> &onRowsDone)
{
    ParallelBands(rows, rows, threads, [&](int row, int worker, const std::function<void()> &rowDone) {
        work(row, worker);
        rowDone();
    }, onRowsDone);
}
