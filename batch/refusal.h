#pragma once
#include <cstdio>
#include <string>

namespace selvane::batch {

// Every refusal of the batch runner: one line on standard error, exit status 2.
inline int fail(const std::string& message) {
    std::fprintf(stderr, "selvane-batch: %s\n", message.c_str());
    return 2;
}

}  // namespace selvane::batch
