#include "batch/png_file.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO  // the bytes go to memory; the file is written as a save is
#include "stb_image_write.h"

namespace selvane::batch {

namespace {

void appendBytes(void* context, void* data, int size) {
    if (size > 0) static_cast<std::string*>(context)->append(static_cast<const char*>(data), static_cast<size_t>(size));
}

}  // namespace

bool encodePng(const std::vector<uint8_t>& rgb, int32_t width, int32_t height, std::string& png) {
    png.clear();
    if (width <= 0 || height <= 0 || rgb.size() != static_cast<size_t>(width) * static_cast<size_t>(height) * 3)
        return false;
    return stbi_write_png_to_func(appendBytes, &png, width, height, 3, rgb.data(), width * 3) != 0;
}

}  // namespace selvane::batch
