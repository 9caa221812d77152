#pragma once
#include <cstdio>
#include <string>

namespace selvane {

// A stream for a new recording that no other stream records into: the file is made if it is
// missing, locked against every other writer (readers may still replay it), and only then
// emptied. Null when it cannot be made or another program records into it; the file is then
// left exactly as it was.
std::FILE* openRecordingExclusively(const std::string& path);

}  // namespace selvane
