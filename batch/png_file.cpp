#include "batch/png_file.h"

#include <cstdio>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO  // the file is ours, so that every write and the close are checked
#include "stb_image_write.h"

namespace selvane::batch {

namespace {

struct PngTarget {
    std::FILE* file = nullptr;
    bool failed = false;
};

void writeBytes(void* context, void* data, int size) {
    auto* target = static_cast<PngTarget*>(context);
    if (size > 0 && std::fwrite(data, 1, static_cast<size_t>(size), target->file) != static_cast<size_t>(size))
        target->failed = true;
}

}  // namespace

bool writePng(const std::string& path, const std::vector<uint8_t>& rgb, int32_t width, int32_t height) {
    if (width <= 0 || height <= 0 || rgb.size() != static_cast<size_t>(width) * static_cast<size_t>(height) * 3)
        return false;
    PngTarget target;
    target.file = std::fopen(path.c_str(), "wb");
    if (!target.file) return false;
    const bool encoded = stbi_write_png_to_func(writeBytes, &target, width, height, 3, rgb.data(), width * 3) != 0;
    const bool closed = std::fclose(target.file) == 0;
    if (encoded && closed && !target.failed) return true;
    std::remove(path.c_str());
    return false;
}

}  // namespace selvane::batch
