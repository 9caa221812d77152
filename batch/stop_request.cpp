#include "batch/stop_request.h"

#include <csignal>

namespace selvane::batch {

namespace {

volatile std::sig_atomic_t requested = 0;

extern "C" void rememberStopRequest(int signal) { requested = signal; }

}  // namespace

void watchStopRequests() {
    std::signal(SIGINT, rememberStopRequest);
    std::signal(SIGTERM, rememberStopRequest);
}

int stopRequest() { return requested; }

}  // namespace selvane::batch
