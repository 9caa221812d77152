#include "batch/stop_request.h"

#include <atomic>
#include <csignal>

namespace selvane::batch {

namespace {

// Read by the thread that watches ffmpeg too; a lock-free atomic may be set in a handler.
std::atomic<int> requested{0};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void rememberStopRequest(int signal) { requested = signal; }

}  // namespace

void watchStopRequests() {
    std::signal(SIGINT, rememberStopRequest);
    std::signal(SIGTERM, rememberStopRequest);
}

int stopRequest() { return requested.load(); }

}  // namespace selvane::batch
