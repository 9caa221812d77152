#pragma once
#include <cstddef>
#include <filesystem>
#include <string>

namespace selvane {

// Gives the regular file `path` names (following symbolic links, which stay) the contents
// `bytes`, creating it when it does not exist. The bytes go to a new, uniquely named file
// beside it, which then takes its place with the old file's permissions, so a failure at any
// point leaves the old file as it was and no temporary file behind. Refused with nothing
// changed (false): a target that is not a regular file (directory, device, fifo...), one the
// user may not write (read-only), and one with more than one hard link, which a replacement
// would split from its other names.
bool replaceFileContents(const std::filesystem::path& path, const std::string& bytes);

// Why replaceFileContents would refuse `path` ("is not a regular file", "is read-only"...),
// or empty when it would go ahead: lets a caller check a target before the work whose
// result goes there. A missing or unwritable folder counts too.
std::string replaceProblem(const std::filesystem::path& path);

// The name the contents of `path` live under: its symbolic links followed, a link to a file
// not made yet included; `path` itself where they cannot be followed.
std::filesystem::path resolvedTarget(const std::filesystem::path& path);

// The save's replacement for contents another program writes (a video encoder): a new, empty
// file under a name no other file or run has, beside the file `target` names, which commit()
// puts in that file's place as replaceFileContents would, after the same checks once more.
// Until then, and whenever commit() fails, the temporary is removed with this object.
class PendingReplacement {
public:
    explicit PendingReplacement(const std::filesystem::path& target);
    ~PendingReplacement();
    PendingReplacement(const PendingReplacement&) = delete;
    PendingReplacement& operator=(const PendingReplacement&) = delete;

    // Why the target is refused (replaceProblem's words) or no temporary could be made;
    // empty when the temporary is there.
    const std::string& problem() const { return problem_; }
    const std::filesystem::path& temporary() const { return temporary_; }
    bool commit();
    void discard();

private:
    std::filesystem::path requested_;
    std::filesystem::path resolved_;
    std::filesystem::path temporary_;
    std::string problem_;
};

// Contents are written in blocks of this size.
constexpr size_t kReplaceBlockBytes = size_t{1} << 16;

// Lets a test make writes fail: consulted before each block, a false answer fails that write
// as a full disk would. nullptr (the default) writes normally.
using WriteGate = bool (*)(size_t blockIndex);
void setWriteGate(WriteGate gate);

}  // namespace selvane
