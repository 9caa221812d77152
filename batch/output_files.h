#pragma once
#include <filesystem>
#include <string>
#include <vector>

namespace selvane::batch {

// The files one command writes into a folder, each as a save writes its file (the save's
// checks, a unique temporary, links followed and kept), never over the command's own input.
// A command that fails takes away only what it made where nothing stood: its new files and
// the folders it made, newest first; what was there before stays.
class OutputFiles {
public:
    explicit OutputFiles(std::string input) : input_(std::move(input)) {}
    ~OutputFiles();
    OutputFiles(const OutputFiles&) = delete;
    OutputFiles& operator=(const OutputFiles&) = delete;

    // Makes the folder and any missing folders above it; the refusal, or empty.
    std::string openFolder(const std::string& folder);
    // Why `path` may not be written (a save's refusal, or the input itself), or empty.
    std::string check(const std::string& path) const;
    std::string write(const std::string& path, const std::string& bytes);

    // The command has ended well: everything stays.
    void keepAll() { made_.clear(); }
    // After a stop: the whole files written stay, and so do the folders that hold any.
    void keepWritten() { made_.resize(foldersMade_); }

private:
    std::string input_;
    std::vector<std::filesystem::path> made_;  // the folders made, then the files made where nothing stood
    size_t foldersMade_ = 0;
};

}  // namespace selvane::batch
