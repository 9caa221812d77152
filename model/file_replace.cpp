#include "model/file_replace.h"

#include <atomic>
#include <chrono>
#include <system_error>

#include "model/file_replace_parts.h"

namespace selvane {

namespace fs = std::filesystem;

namespace {

std::atomic<WriteGate> writeGate{nullptr};

}  // namespace

namespace file_replace_parts {

bool gateAllows(size_t block) {
    const WriteGate gate = writeGate.load();
    return gate == nullptr || gate(block);
}

fs::path temporaryBeside(const fs::path& target, int attempt) {
    static std::atomic<uint64_t> counter{0};
    uint64_t x = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                 (counter.fetch_add(1) * 0x9E3779B97F4A7C15ULL) ^ static_cast<uint64_t>(attempt);
    x ^= processId() << 32;
    x ^= x >> 31;
    x *= 0xBF58476D1CE4E5B9ULL;
    x ^= x >> 29;
    char name[] = ".sv00000000.tmp";
    for (int i = 0; i < 8; ++i) name[3 + i] = "0123456789abcdef"[(x >> (4 * i)) & 15];
    const fs::path parent = target.parent_path();
    return parent.empty() ? fs::path(name) : parent / name;
}

}  // namespace file_replace_parts

void setWriteGate(WriteGate gate) { writeGate.store(gate); }

std::string replaceProblem(const fs::path& path) {
    fs::path resolved;
    if (const char* problem = file_replace_parts::targetProblem(path, resolved)) return problem;
    fs::path folder = resolved.parent_path();
    if (folder.empty()) folder = ".";
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) return "has no folder to be made in";
    if (!file_replace_parts::folderWritable(folder)) return "is in a folder that cannot be written";
    return std::string();
}

fs::path resolvedTarget(const fs::path& path) {
    fs::path resolved;
    file_replace_parts::targetProblem(path, resolved);
    return resolved.empty() ? path : resolved;
}

PendingReplacement::PendingReplacement(const fs::path& target) : requested_(target) {
    const char* problem = nullptr;
    if (!file_replace_parts::makeTemporaryFor(target, resolved_, temporary_, problem)) {
        temporary_.clear();
        problem_ = problem ? problem : "cannot be written";
    }
}

PendingReplacement::~PendingReplacement() { discard(); }

bool PendingReplacement::commit() {
    if (temporary_.empty()) return false;
    if (!file_replace_parts::commitTemporary(temporary_, requested_, resolved_)) {
        discard();
        return false;
    }
    temporary_.clear();
    return true;
}

void PendingReplacement::discard() {
    if (temporary_.empty()) return;
    std::error_code ec;
    fs::remove(temporary_, ec);
    temporary_.clear();
}

}  // namespace selvane
