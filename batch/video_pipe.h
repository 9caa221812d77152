#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace selvane::batch {

// The ffmpeg program on the PATH, or empty when there is none.
std::string findFfmpeg();

// An H.264 video in MP4 made by piping raw RGB pictures to ffmpeg. It is written beside the
// target under a temporary name and takes the target's name only once ffmpeg has finished
// well, so a failed video leaves nothing behind.
class VideoPipe {
public:
    VideoPipe() = default;
    ~VideoPipe();
    VideoPipe(const VideoPipe&) = delete;
    VideoPipe& operator=(const VideoPipe&) = delete;

    bool open(const std::string& ffmpeg, const std::string& target, int32_t width, int32_t height, int fps);
    bool addPicture(const std::vector<uint8_t>& rgb);
    // Ends the video; true once it is complete under the target's name.
    bool finish();

private:
    void abandon();

    std::FILE* pipe_ = nullptr;
    std::string target_;
    std::string partial_;
};

}  // namespace selvane::batch
