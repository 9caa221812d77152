#include "batch/same_file.h"

#include <filesystem>
#include <system_error>

#include "model/file_replace.h"

namespace selvane::batch {

namespace fs = std::filesystem;

namespace {

// The full name the contents live under, with the links of the name itself followed too
// when it points to nothing yet, which weakly_canonical leaves as it is.
fs::path fullName(const std::string& name, std::error_code& error) {
    const fs::path absolute = fs::absolute(resolvedTarget(name), error);
    return error ? absolute : fs::weakly_canonical(absolute, error);
}

}  // namespace

bool sameFile(const std::string& a, const std::string& b) {
    std::error_code error, errorA, errorB;
    if (a == b || fs::equivalent(a, b, error)) return true;
    const fs::path fullA = fullName(a, errorA);
    const fs::path fullB = fullName(b, errorB);
    return !errorA && !errorB && fullA == fullB;
}

}  // namespace selvane::batch
