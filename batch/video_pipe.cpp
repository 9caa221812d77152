#include "batch/video_pipe.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#if defined(_WIN32)
#define popen _popen
#define pclose _pclose
#else
#include <csignal>
#endif

namespace selvane::batch {

namespace fs = std::filesystem;

namespace {

#if defined(_WIN32)
constexpr char kPathSeparator = ';';
constexpr const char* kFfmpegName = "ffmpeg.exe";
constexpr const char* kPipeMode = "wb";
// cmd.exe takes a command whose whole text is quoted once more.
std::string shellQuoted(const std::string& text) { return "\"" + text + "\""; }
std::string shellCommand(const std::string& command) { return "\"" + command + "\""; }
#else
constexpr char kPathSeparator = ':';
constexpr const char* kFfmpegName = "ffmpeg";
constexpr const char* kPipeMode = "w";
std::string shellQuoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}
std::string shellCommand(const std::string& command) { return command; }
#endif

}  // namespace

std::string findFfmpeg() {
    const char* path = std::getenv("PATH");
    if (!path) return "";
    const std::string folders = path;
    size_t start = 0;
    while (start <= folders.size()) {
        size_t end = folders.find(kPathSeparator, start);
        if (end == std::string::npos) end = folders.size();
        const std::string folder = folders.substr(start, end - start);
        if (!folder.empty()) {
            std::error_code error;
            const fs::path candidate = fs::path(folder) / kFfmpegName;
            if (fs::is_regular_file(candidate, error)) return candidate.string();
        }
        start = end + 1;
    }
    return "";
}

VideoPipe::~VideoPipe() { abandon(); }

bool VideoPipe::open(const std::string& ffmpeg, const std::string& target, int32_t width, int32_t height, int fps) {
    abandon();
#if !defined(_WIN32)
    std::signal(SIGPIPE, SIG_IGN);  // an ffmpeg that ends early is a failed write, not our end
#endif
    target_ = target;
    partial_ = target + ".part";
    const std::string command = shellQuoted(ffmpeg) + " -hide_banner -loglevel error -y -f rawvideo -pixel_format rgb24" +
                                " -video_size " + std::to_string(width) + "x" + std::to_string(height) +
                                " -framerate " + std::to_string(fps) +
                                " -i - -c:v libx264 -pix_fmt yuv420p -movflags +faststart -f mp4 " + shellQuoted(partial_);
    pipe_ = popen(shellCommand(command).c_str(), kPipeMode);
    return pipe_ != nullptr;
}

bool VideoPipe::addPicture(const std::vector<uint8_t>& rgb) {
    return pipe_ && std::fwrite(rgb.data(), 1, rgb.size(), pipe_) == rgb.size();
}

bool VideoPipe::finish() {
    if (!pipe_) return false;
    const int status = pclose(pipe_);
    pipe_ = nullptr;
    std::error_code error;
    if (status == 0 && fs::is_regular_file(partial_, error)) {
        fs::rename(partial_, target_, error);
        if (!error) {
            partial_.clear();
            return true;
        }
    }
    abandon();
    return false;
}

void VideoPipe::abandon() {
    if (pipe_) pclose(pipe_);
    pipe_ = nullptr;
    if (!partial_.empty()) {
        std::error_code error;
        fs::remove(partial_, error);
    }
    partial_.clear();
}

}  // namespace selvane::batch
