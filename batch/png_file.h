#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace selvane::batch {

// Rows of 8-bit RGB triples, top to bottom, as the bytes of a PNG file; false when the
// picture has no pixels or the bytes do not fit it.
bool encodePng(const std::vector<uint8_t>& rgb, int32_t width, int32_t height, std::string& png);

}  // namespace selvane::batch
