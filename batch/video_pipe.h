#pragma once
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace selvane::batch {

// The first executable file named ffmpeg (ffmpeg.exe on Windows) in the folders of the PATH,
// or empty when there is none.
std::string findFfmpeg();

// An H.264 video in MP4 made by piping raw RGB pictures to the ffmpeg program, started without
// a shell on a pipe of its own; the file name reaches it as file: so that no name is taken for
// an option or a protocol. An ffmpeg that takes no picture (or does not end) for `patience`,
// or a stop request while it is waited for, is ended and the video fails.
class VideoPipe {
public:
    VideoPipe() = default;
    ~VideoPipe();
    VideoPipe(const VideoPipe&) = delete;
    VideoPipe& operator=(const VideoPipe&) = delete;

    bool open(const std::string& ffmpeg, const std::filesystem::path& file, int32_t width, int32_t height, int fps,
              std::chrono::milliseconds patience);
    bool addPicture(const std::vector<uint8_t>& rgb);
    // Ends the input and waits for ffmpeg; true when it made the video whole.
    bool finish();
    // Whether it failed because ffmpeg went quiet for the whole patience.
    bool gaveUp() const { return gaveUp_.load(); }

private:
    void watch();
    void arm(bool waiting);
    void stopWatch();
    void endProgram();  // ends the program at once; for the watch and for an abandoned video
    bool writeAll(const uint8_t* data, size_t size);
    void closeInput();
    bool waitForEnd();

#if defined(_WIN32)
    void* process_ = nullptr;  // HANDLE
    void* input_ = nullptr;
#else
    int process_ = -1;  // pid
    int input_ = -1;
#endif
    bool running_ = false;
    std::chrono::milliseconds patience_{0};

    // The watch: while `waiting_`, ends the program once `since_` is `patience_` ago or a stop
    // is requested.
    std::thread watcher_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool waiting_ = false;
    bool closing_ = false;
    std::atomic<bool> gaveUp_{false};
    std::chrono::steady_clock::time_point since_;
};

}  // namespace selvane::batch
