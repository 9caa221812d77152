#pragma once
// What the two halves of replaceFileContents share: model/file_replace.cpp holds the parts
// every platform uses, file_replace_posix.cpp and file_replace_windows.cpp the file calls.
#include <cstddef>
#include <cstdint>
#include <filesystem>

namespace selvane::file_replace_parts {

// Tries at fresh temporary names before a save gives up.
constexpr int kNameAttempts = 64;

// Whether the test's write gate lets block `block` be written.
bool gateAllows(size_t block);

// A short name of fixed length beside `target`, so the temporary fits wherever the target's
// name does; another for every attempt.
std::filesystem::path temporaryBeside(const std::filesystem::path& target, int attempt);

// Each platform's own:
uint64_t processId();
// Why `requested` cannot be replaced, or nullptr; `resolved` names the file behind its links.
const char* targetProblem(const std::filesystem::path& requested, std::filesystem::path& resolved);
bool folderWritable(const std::filesystem::path& folder);
// Makes the empty temporary for the file `requested` names after its checks; false with the
// reason in `problem` when refused or none can be made.
bool makeTemporaryFor(const std::filesystem::path& requested, std::filesystem::path& resolved,
                      std::filesystem::path& temporary, const char*& problem);
// Gives the written temporary the place of `requested`, which must still resolve to `resolved`
// and pass its checks; the temporary is left for the caller to remove when false.
bool commitTemporary(const std::filesystem::path& temporary, const std::filesystem::path& requested,
                     const std::filesystem::path& resolved);

}  // namespace selvane::file_replace_parts
