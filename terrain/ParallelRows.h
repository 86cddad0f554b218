// Runs independent rows of work on every core while the calling thread keeps
// ownership of progress reporting: the progress bar it feeds belongs to the
// user-interface thread and must never be touched from a worker.
#pragma once

#include <functional>

// Calls work(row) once for every row 0 … rows − 1, spread over `threads`
// threads including the caller (0: one per core; 1: everything on the
// caller, in order). Rows are handed out one at a time, so a slow core never
// holds up the rest. onRowsDone(done) runs on the calling thread only, with
// a growing count of finished rows, the last call with done = rows.
// `work` must not throw.
void ParallelRows(int rows, int threads, const std::function<void(int row)> &work,
                  const std::function<void(int done)> &onRowsDone);

// The number of threads ParallelRows uses for `threads` (resolving 0).
int ResolveThreadCount(int threads);
