// Runs independent rows of work on every core while the calling thread keeps
// ownership of progress reporting: the progress bar it feeds belongs to the
// user-interface thread and must never be touched from a worker.
#pragma once

#include <functional>

// Calls work(row, worker) once for every row 0 … rows − 1, spread over
// `threads` threads including the caller (0: one per core; 1: everything on
// the caller, in order). `worker` numbers the thread running the call, from
// 0 to ResolveThreadCount(threads) − 1, for scratch space of its own. Rows
// are handed out one at a time, so a slow core never holds up the rest.
// onRowsDone(done) runs on the calling thread only, with a growing count of
// finished rows, the last call with done = rows. `work` must not throw.
void ParallelRows(int rows, int threads, const std::function<void(int row, int worker)> &work,
                  const std::function<void(int done)> &onRowsDone);

// The same for work handed out in bands of rows: work(band, worker, rowDone)
// calls rowDone() after each of the band's rows it finishes, so progress
// still moves row by row; `rows` is the total over all bands.
void ParallelBands(int bands, int rows, int threads,
                   const std::function<void(int band, int worker, const std::function<void()> &rowDone)> &work,
                   const std::function<void(int done)> &onRowsDone);

// The number of threads ParallelRows uses for `threads` (resolving 0).
int ResolveThreadCount(int threads);
