#include "batch/output_files.h"

#include <system_error>

#include "batch/same_file.h"
#include "model/file_replace.h"

namespace selvane::batch {

namespace fs = std::filesystem;

OutputFiles::~OutputFiles() {
    // Newest first, so each folder is empty when its turn comes; one that is not stays.
    std::error_code error;
    for (auto made = made_.rbegin(); made != made_.rend(); ++made) fs::remove(*made, error);
}

std::string OutputFiles::openFolder(const std::string& folder) {
    std::error_code error;
    std::vector<fs::path> missing;  // outermost first
    for (fs::path p = folder; !p.empty() && !fs::exists(fs::symlink_status(p, error)); p = p.parent_path()) {
        missing.insert(missing.begin(), p);
        if (p == p.parent_path()) break;
    }
    fs::create_directories(folder, error);
    if (error || !fs::is_directory(folder, error)) return "cannot make the folder " + folder;
    made_ = missing;
    foldersMade_ = made_.size();
    return "";
}

std::string OutputFiles::check(const std::string& path) const {
    if (sameFile(path, input_)) return "cannot write " + path + ": it is the input " + input_;
    const std::string problem = replaceProblem(path);
    return problem.empty() ? "" : "cannot write " + path + ": it " + problem;
}

std::string OutputFiles::write(const std::string& path, const std::string& bytes) {
    std::string problem = check(path);
    if (!problem.empty()) return problem;
    const fs::path lives = resolvedTarget(path);
    std::error_code error;
    const bool isNew = !fs::exists(fs::symlink_status(lives, error));
    if (!replaceFileContents(path, bytes)) {
        problem = check(path);
        return problem.empty() ? "cannot write " + path : problem;
    }
    if (isNew) made_.push_back(lives);
    return "";
}

}  // namespace selvane::batch
