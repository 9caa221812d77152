#include "batch/render.h"

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "batch/frame_range.h"
#include "batch/glow_look.h"
#include "batch/output_files.h"
#include "batch/png_file.h"
#include "batch/refusal.h"
#include "batch/run_checks.h"
#include "batch/stop_request.h"
#include "batch/video_pipe.h"
#include "engine/dot_raster.h"
#include "engine/frame_file.h"
#include "engine/recording_summary.h"
#include "engine/view_camera.h"
#include "model/file_replace.h"

namespace selvane::batch {

namespace fs = std::filesystem;

namespace {

using CameraOperation = void (ViewCamera::*)();

// The captions of the viewing buttons, each the camera's move for one press.
bool parseCameraOperations(const std::string& text, std::vector<CameraOperation>& operations, std::string& problem) {
    operations.clear();
    for (char caption : text) {
        switch (caption) {
            case '<': operations.push_back(&ViewCamera::turnLeft); break;
            case '>': operations.push_back(&ViewCamera::turnRight); break;
            case '^': operations.push_back(&ViewCamera::turnAbove); break;
            case 'v': operations.push_back(&ViewCamera::turnBelow); break;
            case 'x': operations.push_back(&ViewCamera::turnOpposite); break;
            case '+': operations.push_back(&ViewCamera::forward); break;
            case '-': operations.push_back(&ViewCamera::back); break;
            default:
                problem = std::string("unknown camera operation '") + caption + "' (the buttons are < > ^ v x + -)";
                return false;
        }
    }
    return true;
}

void press(ViewCamera& camera, const std::vector<CameraOperation>& operations) {
    for (CameraOperation operation : operations) (camera.*operation)();
}

bool endsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::string frameName(int32_t k) {
    char name[32];
    std::snprintf(name, sizeof name, "frame-%06d.png", k);
    return name;
}

// The view as the viewing windows paint it: updateCentre, then the dots of the shown frame.
void paintFrame(ViewCamera& camera, const StarTable& table, std::vector<uint32_t>& pixels, std::vector<uint8_t>& rgb) {
    camera.updateCentre();
    const ViewRect& r = camera.viewRect;
    PixelBuffer buffer;
    buffer.width = r.right - r.left;
    buffer.height = r.bottom - r.top;
    buffer.stride = buffer.width;
    buffer.originX = r.left;
    buffer.originY = r.top;
    pixels.resize(static_cast<size_t>(buffer.width) * static_cast<size_t>(buffer.height));
    buffer.pixels = pixels.data();
    drawStars(buffer, camera, table.displayX.data(), table.displayY.data(), table.displayZ.data(),
              static_cast<size_t>(table.starCount));
    rgb.resize(pixels.size() * 3);
    for (size_t i = 0; i < pixels.size(); ++i) {
        rgb[3 * i] = static_cast<uint8_t>(pixels[i] >> 16);
        rgb[3 * i + 1] = static_cast<uint8_t>(pixels[i] >> 8);
        rgb[3 * i + 2] = static_cast<uint8_t>(pixels[i]);
    }
}

// How long ffmpeg may take no picture, or take to end the video, before render gives up on
// it: a minute, or SELVANE_FFMPEG_TIMEOUT seconds.
std::chrono::seconds ffmpegPatience() {
    long long seconds = 60;
    const char* text = std::getenv("SELVANE_FFMPEG_TIMEOUT");
    if (text && !parseWholeNumber(text, 1, 86400, seconds)) seconds = 60;
    return std::chrono::seconds(seconds);
}

// Where the pictures go: a folder of PNG files, each written as a save is, or a video made
// under a temporary name. A failed render takes away only what this run made where nothing
// stood: its new pictures and folders, or the video's temporary.
class PictureSink {
public:
    explicit PictureSink(const std::string& recording) : files_(recording) {}

    std::string openFolder(const std::string& folder) {
        folder_ = folder;
        return files_.openFolder(folder);
    }

    std::string openVideo(const std::string& target, int32_t width, int32_t height, int fps) {
        const std::string ffmpeg = findFfmpeg();
        if (ffmpeg.empty()) return "a video needs the ffmpeg program on the PATH, and there is none";
        pending_ = std::make_unique<PendingReplacement>(target);
        if (!pending_->problem().empty()) return "cannot write " + target + ": it " + pending_->problem();
        video_ = std::make_unique<VideoPipe>();
        if (!video_->open(ffmpeg, pending_->temporary(), width, height, fps, ffmpegPatience()))
            return "cannot start " + ffmpeg;
        return "";
    }

    std::string check(const std::string& target) const { return files_.check(target); }

    std::string add(int32_t k, const std::vector<uint8_t>& rgb, int32_t width, int32_t height) {
        if (video_) return video_->addPicture(rgb) ? "" : ffmpegProblem("ffmpeg stopped taking pictures");
        if (!encodePng(rgb, width, height, png_)) return "cannot make the picture of frame " + std::to_string(k);
        return files_.write((fs::path(folder_) / frameName(k)).string(), png_);
    }

    std::string finish(const std::string& target) {
        if (video_) {
            if (!video_->finish()) return ffmpegProblem("ffmpeg could not make the video " + target);
            if (!pending_->commit()) return "cannot put the video in place as " + target;
        }
        files_.keepAll();
        return "";
    }

    // After a stop: the pictures written are whole and stay, and so does a folder made for
    // them; a video is never whole before its end, so it goes.
    void keepPictures() { files_.keepWritten(); }

private:
    std::string ffmpegProblem(const std::string& problem) const {
        if (!video_->gaveUp()) return problem;
        return "ffmpeg went " + std::to_string(ffmpegPatience().count()) +
               " s without taking a picture or ending; render gave up on it";
    }

    OutputFiles files_;
    std::string folder_;
    std::string png_;
    std::unique_ptr<PendingReplacement> pending_;  // outlives the video, whose ffmpeg must end first
    std::unique_ptr<VideoPipe> video_;
};

// The glow look's options; the refusal, or empty.
std::string readGlowOptions(const CommandLine& line, int32_t stars, bool video, GlowOptions& glow, StarTable& galaxy) {
    const auto option = [&](const char* name) {
        const auto found = line.options.find(name);
        return found == line.options.end() ? nullptr : &found->second;
    };
    const std::string* look = option("--look");
    if (look && *look != "dots" && *look != "glow") return "--look is dots or glow, not '" + *look + "'";
    if (!look || *look == "dots") {
        for (const char* name : {"--size", "--color", "--exposure", "--galaxy"})
            if (option(name)) return std::string(name) + " is for --look glow";
        return "";
    }
    if (const std::string* size = option("--size")) {
        long long width = 0, height = 0;
        const size_t x = size->find('x');
        if (x == std::string::npos || !parseWholeNumber(size->substr(0, x), 16, 8192, width) ||
            !parseWholeNumber(size->substr(x + 1), 16, 8192, height))
            return "--size takes WxH, each from 16 to 8192 pixels, not '" + *size + "'";
        if (video && (width % 2 || height % 2)) return "a video's --size needs an even width and height";
        glow.width = static_cast<int32_t>(width);
        glow.height = static_cast<int32_t>(height);
    }
    if (const std::string* colour = option("--color")) {
        if (*colour == "speed") glow.colouring = GlowColouring::Speed;
        else if (*colour == "mass") glow.colouring = GlowColouring::Mass;
        else if (*colour == "white") glow.colouring = GlowColouring::White;
        else return "--color is speed, mass or white, not '" + *colour + "'";
    }
    glow.exposure = 8;
    if (const std::string* exposure = option("--exposure")) {
        double value = 0;
        if (!parseReal(*exposure, value) || !(value > 0) || !(value < 1e30))
            return "--exposure takes a number above 0, not '" + *exposure + "'";
        glow.exposure = static_cast<float>(value);
    }
    if (const std::string* path = option("--galaxy")) {
        SimulationParameters params;
        const std::string problem = readStartingGalaxy(*path, stars, galaxy, params);
        if (!problem.empty()) return problem;
        glow.masses = &galaxy.mass;
    }
    return "";
}

}  // namespace

int renderCommand(const CommandLine& line) {
    const std::string& path = line.words[0];
    const std::string& out = line.options.at("--out");
    const bool video = endsWith(out, ".mp4");
    long long from = 0, to = 0, fps = 30;
    std::string problem;
    if (!readWholeOption(line, "--fps", 1, 1000, fps)) return fail("--fps takes a whole number from 1 to 1000");
    std::vector<CameraOperation> camera, turn;
    const auto findOps = [&](const char* option) {
        const auto found = line.options.find(option);
        return found == line.options.end() ? std::string() : found->second;
    };
    if (!parseCameraOperations(findOps("--camera"), camera, problem)) return fail("--camera: " + problem);
    if (!parseCameraOperations(findOps("--turn"), turn, problem)) return fail("--turn: " + problem);

    const RecordingSummary summary = inspectRecording(path);
    const std::string damage = describeDamage(path, summary);
    if (!damage.empty()) return fail(damage);
    // Frames of no stars take no bytes, so a header may claim any number of them.
    if (summary.starCount == 0) return fail("recording " + path + " holds no stars: it has nothing to show");
    problem = chooseFrames(line, summary.framesInFile, from, to);
    if (!problem.empty()) return fail(problem);
    GlowOptions glowOptions;
    StarTable galaxy;
    problem = readGlowOptions(line, summary.starCount, video, glowOptions, galaxy);
    if (!problem.empty()) return fail(problem);
    const bool glow = line.options.count("--look") && line.options.at("--look") == "glow";

    // Every target that is there already gets the save's checks before any picture is made.
    PictureSink sink(path);
    std::error_code error;
    if (video) {
        problem = sink.check(out);
        if (!problem.empty()) return fail(problem);
    } else if (fs::is_directory(out, error)) {
        for (long long k = from; k <= to; ++k) {
            problem = sink.check((fs::path(out) / frameName(static_cast<int32_t>(k))).string());
            if (!problem.empty()) return fail(problem);
        }
    }

    StarTable table;
    FrameFile recording(path);
    if (!recording.openRecording(table) || recording.replayFrames() != summary.framesInFile ||
        table.starCount != summary.starCount)
        return fail("cannot read recording " + path);

    ViewCamera view;
    view.reset();
    press(view, camera);
    const int32_t width = glow ? glowOptions.width : view.viewRect.right - view.viewRect.left;
    const int32_t height = glow ? glowOptions.height : view.viewRect.bottom - view.viewRect.top;
    problem = video ? sink.openVideo(out, width, height, static_cast<int>(fps)) : sink.openFolder(out);
    if (!problem.empty()) return fail(problem);

    auto lastReport = std::chrono::steady_clock::now();
    long long made = 0;
    const long long asked = to - from + 1;
    // Each picture in frame order, whichever look drew it.
    const DeliverPicture deliver = [&](int32_t frame, const std::vector<uint8_t>& rgb) {
        const std::string added = sink.add(frame, rgb, width, height);
        if (!added.empty()) return stopRequest() ? std::string() : added;
        ++made;
        const auto now = std::chrono::steady_clock::now();
        if (now - lastReport >= std::chrono::seconds(1)) {
            std::fprintf(stderr, "frame %lld of %lld\n", made, asked);
            lastReport = now;
        }
        return std::string();
    };
    if (glow) {
        problem = renderGlowFrames(
            path, static_cast<int32_t>(from), static_cast<int32_t>(to), view,
            [&](ViewCamera& moved) { press(moved, turn); }, glowOptions, deliver, [] { return stopRequest() != 0; });
    } else {
        std::vector<uint32_t> pixels;
        std::vector<uint8_t> rgb;
        for (long long k = from; k <= to && !stopRequest() && problem.empty(); ++k) {
            const int32_t frame = static_cast<int32_t>(k);
            if (!recording.loadFrame(table, frame)) return fail("cannot read frame " + std::to_string(k) + " of " + path);
            paintFrame(view, table, pixels, rgb);
            problem = deliver(frame, rgb);
            press(view, turn);
        }
    }
    if (!problem.empty() && !stopRequest()) return fail(problem);
    if (!stopRequest()) {
        problem = sink.finish(out);
        // A stop asked for while ffmpeg ended found the video whole: it stays, as run's save does.
        if (problem.empty()) return 0;
    }
    if (const int stop = stopRequest()) {
        sink.keepPictures();
        std::fprintf(stderr, "selvane-batch: stopped after %lld of %lld frames; %s\n", made, asked,
                     video ? "no video made" : (out + " keeps their pictures").c_str());
        return 128 + stop;
    }
    return fail(problem);
}

}  // namespace selvane::batch
