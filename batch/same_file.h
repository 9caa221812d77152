#pragma once
#include <string>

namespace selvane::batch {

// Whether two names reach one file: spelled two ways ("r.wrk", "./r.wrk"), through symbolic
// links, and for a file not made yet, also behind a link that points to nothing yet.
bool sameFile(const std::string& a, const std::string& b);

}  // namespace selvane::batch
