#include "batch/glow_look.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <system_error>
#include <thread>

#include "engine/frame_file.h"
#include "engine/glow_picture.h"

namespace selvane::batch {

namespace {

// How far each star moved from the frame before (frame 0: to the frame after), in the
// recording's units; all zero for a recording of one frame.
bool frameSpeeds(FrameFile& recording, int32_t k, StarTable& here, StarTable& other, std::vector<double>& speeds) {
    const int32_t frames = recording.replayFrames();
    const int32_t neighbour = k > 0 ? k - 1 : (frames > 1 ? 1 : 0);
    if (!recording.loadFrame(here, k) || !recording.loadFrame(other, neighbour)) return false;
    speeds.resize(static_cast<size_t>(here.starCount));
    for (size_t i = 0; i < speeds.size(); ++i) {
        const double dx = here.displayX[i] - other.displayX[i], dy = here.displayY[i] - other.displayY[i],
                     dz = here.displayZ[i] - other.displayZ[i];
        speeds[i] = std::sqrt(dx * dx + dy * dy + dz * dz);
    }
    return true;
}

// The speeds that are slow and fast over the whole recording (its 2nd and 98th percentiles,
// from up to a million samples), so a star's colour means the same in every frame.
void speedRange(const std::string& path, double& slow, double& fast) {
    StarTable here, other;
    FrameFile recording(path);
    slow = 0;
    fast = 1;
    if (!recording.openRecording(here) || recording.replayFrames() < 1) return;
    other = here;
    const int64_t total = int64_t{recording.replayFrames()} * here.starCount;
    const int64_t stride = std::max<int64_t>(1, total / 1000000);
    std::vector<double> samples, speeds;
    int64_t index = 0;
    for (int32_t k = 0; k < recording.replayFrames(); ++k) {
        if (!frameSpeeds(recording, k, here, other, speeds)) return;
        for (double speed : speeds)
            if (index++ % stride == 0 && std::isfinite(speed)) samples.push_back(speed);
    }
    if (samples.empty()) return;
    const auto at = [&](double fraction) {
        auto nth = samples.begin() + static_cast<std::ptrdiff_t>(fraction * static_cast<double>(samples.size() - 1));
        std::nth_element(samples.begin(), nth, samples.end());
        return *nth;
    };
    slow = at(0.02);
    fast = at(0.98);
    if (!(fast > slow)) fast = slow + 1;
}

// Each star's light (its mass against the mean, none for a negative one) and its colour for
// mass or white.
struct StarLook {
    std::vector<float> light;
    std::vector<LinearColour> colour;
};

StarLook starLook(const GlowOptions& options, int32_t stars) {
    StarLook look;
    const size_t n = static_cast<size_t>(stars);
    look.light.assign(n, 1.0f);
    look.colour.assign(n, LinearColour{});
    const std::vector<double>* masses = options.masses;
    if (!masses || masses->size() != n) return look;
    double sum = 0, lightest = INFINITY, heaviest = -INFINITY;
    for (double m : *masses)
        if (std::isfinite(m) && m > 0) {
            sum = sum + m;
            lightest = std::min(lightest, m);
            heaviest = std::max(heaviest, m);
        }
    const double mean = sum / static_cast<double>(n);
    for (size_t i = 0; i < n; ++i) {
        const double m = (*masses)[i];
        const bool shines = std::isfinite(m) && m > 0 && mean > 0;
        look.light[i] = shines ? static_cast<float>(m / mean) : 0.0f;
        if (options.colouring == GlowColouring::Mass)
            look.colour[i] = glowRamp(heaviest > lightest && shines ? (m - lightest) / (heaviest - lightest) : 0.5);
    }
    return look;
}

// One worker's means of drawing a frame: its own stream of the recording and its own picture.
struct FrameDrawer {
    FrameFile recording;
    StarTable here, other;
    std::vector<double> speeds;
    GlowPicture picture;
    std::vector<uint8_t> rgb;
    bool open = false;

    FrameDrawer(const std::string& path, const GlowOptions& options)
        : recording(path), picture(options.width, options.height) {
        open = recording.openRecording(here);
        other = here;
    }

    bool draw(int32_t k, ViewCamera camera, const GlowOptions& options, const StarLook& look, double slow,
              double fast) {
        if (!open) return false;
        const bool loaded = options.colouring == GlowColouring::Speed ? frameSpeeds(recording, k, here, other, speeds)
                                                                     : recording.loadFrame(here, k);
        if (!loaded) return false;
        camera.updateCentre();
        // The view scaled to cover the picture, centred.
        const double scale = std::max(options.width / 470.0, options.height / 376.0);
        const double midX = options.width / 2.0, midY = options.height / 2.0;
        picture.clear();
        for (size_t i = 0; i < static_cast<size_t>(here.starCount); ++i) {
            double sx = 0, sy = 0;
            if (!camera.projectPoint(here.displayX[i], here.displayY[i], here.displayZ[i], sx, sy)) continue;
            const LinearColour colour = options.colouring == GlowColouring::Speed
                                            ? glowRamp((speeds[i] - slow) / (fast - slow))
                                            : look.colour[i];
            picture.addStar((sx - camera.centreX) * scale + midX, (sy - camera.centreY) * scale + midY,
                            look.light[i], colour);
        }
        picture.encode(options.exposure, rgb);
        return true;
    }
};

}  // namespace

std::string renderGlowFrames(const std::string& path, int32_t from, int32_t to, const ViewCamera& start,
                             const std::function<void(ViewCamera&)>& turn, const GlowOptions& options,
                             const DeliverPicture& deliver, const std::function<bool()>& stopped) {
    double slow = 0, fast = 1;
    if (options.colouring == GlowColouring::Speed) speedRange(path, slow, fast);
    std::vector<std::unique_ptr<FrameDrawer>> drawers;
    const unsigned workers = std::max(1u, std::min(8u, std::thread::hardware_concurrency()));
    for (unsigned w = 0; w < workers; ++w) drawers.push_back(std::make_unique<FrameDrawer>(path, options));
    const StarLook look = starLook(options, drawers[0]->here.starCount);

    ViewCamera camera = start;
    for (int64_t first = from; first <= to && !stopped(); first += workers) {
        // A frame each worker, its camera as the presses so far leave it; written in order.
        const int32_t count = static_cast<int32_t>(std::min<int64_t>(workers, to - first + 1));
        std::vector<ViewCamera> cameras;
        for (int32_t w = 0; w < count; ++w) {
            cameras.push_back(camera);
            turn(camera);
        }
        std::vector<char> drawn(static_cast<size_t>(count), 0);
        std::vector<std::thread> threads;
        const auto drawOne = [&](int32_t w) {
            drawn[w] = drawers[w]->draw(static_cast<int32_t>(first + w), cameras[w], options, look, slow, fast);
        };
        for (int32_t w = 1; w < count; ++w) {
            try {
                threads.emplace_back(drawOne, w);
            } catch (const std::system_error&) {
                drawOne(w);  // no thread to be had: drawn here, the same picture
            }
        }
        drawOne(0);
        for (std::thread& thread : threads) thread.join();
        for (int32_t w = 0; w < count; ++w) {
            const int32_t k = static_cast<int32_t>(first + w);
            if (!drawn[w]) return "cannot read frame " + std::to_string(k) + " of " + path;
            const std::string problem = deliver(k, drawers[w]->rgb);
            if (!problem.empty()) return problem;
        }
    }
    return "";
}

}  // namespace selvane::batch
