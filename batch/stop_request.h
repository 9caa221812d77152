#pragma once

namespace selvane::batch {

// Ctrl+C and termination requests, remembered rather than obeyed at once, so that a command
// ends where its files are whole. Call before anything is written.
void watchStopRequests();

// The signal that asked for a stop (SIGINT, SIGTERM), or 0; the exit status is 128 plus it.
int stopRequest();

}  // namespace selvane::batch
