#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/view_camera.h"

namespace selvane::batch {

enum class GlowColouring { Speed, Mass, White };

struct GlowOptions {
    int32_t width = 1920;
    int32_t height = 1080;
    GlowColouring colouring = GlowColouring::Speed;
    float exposure = 1;
    const std::vector<double>* masses = nullptr;  // from the galaxy the run started from; equal without
};

// A frame's picture, handed over in frame order; a non-empty answer stops the render with it.
using DeliverPicture = std::function<std::string(int32_t frame, const std::vector<uint8_t>& rgb)>;

// Draws frames `from` to `to` of the recording in the glow look with the view's camera (`start`
// for the first frame, `turn` applied after each), several frames at once on the processor's
// cores. `stopped` is asked between frames. Returns the first problem, or empty.
std::string renderGlowFrames(const std::string& recording, int32_t from, int32_t to, const ViewCamera& start,
                             const std::function<void(ViewCamera&)>& turn, const GlowOptions& options,
                             const DeliverPicture& deliver, const std::function<bool()>& stopped);

}  // namespace selvane::batch
