#pragma once

namespace selvane {

// One job cut into shares; share t runs as task(job, t).
using ShareTask = void (*)(const void* job, int share);

// Runs shares 0 to count-1: share 0 on the calling thread, the others on workers made once
// and kept for the program's life, and returns when all are done. Where the system gives no
// more threads, the calling thread runs the shares no worker took. One job at a time: the
// step, a background step's summer and the energy measure never overlap.
void runShares(int count, ShareTask task, const void* job);

template <class Share>
void runShares(int count, const Share& share) {
    runShares(count, [](const void* job, int t) { (*static_cast<const Share*>(job))(t); }, &share);
}

// Below this many stars, waking workers costs more than it saves.
constexpr int kStarsWorthWorkers = 256;

// The threads a job over this many stars is worth: `asked` when above 0, else every core for
// a large galaxy and one for a small one.
int sharesWorthRunning(int stars, int asked);

}  // namespace selvane
