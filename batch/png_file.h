#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace selvane::batch {

// Writes rows of 8-bit RGB triples, top to bottom, as a PNG file. False, with no file left
// behind, when it cannot be written whole.
bool writePng(const std::string& path, const std::vector<uint8_t>& rgb, int32_t width, int32_t height);

}  // namespace selvane::batch
