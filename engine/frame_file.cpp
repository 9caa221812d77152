#include "engine/frame_file.h"

#include <algorithm>
#include <limits>
#include <new>
#include <utility>

#include "engine/recording_layout.h"
#include "engine/recording_stream.h"

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__
#error "frames are stored as host doubles and must be little-endian"
#endif

namespace selvane {

static_assert(kMaxStars <= FrameFile::kFramelessStarLimit, "a frameless header gets at most kMaxStars stars");
static_assert(sizeof(double) == 8 && std::numeric_limits<double>::is_iec559, "frames hold IEEE doubles");

namespace {

using recording::kHeaderBytes;

// 64-bit positioning: a foreign file may be larger than a long can address on Windows.
bool seekTo(std::FILE* file, int64_t offset, int whence = SEEK_SET) {
#if defined(_WIN32)
    return _fseeki64(file, offset, whence) == 0;
#else
    if (offset > std::numeric_limits<off_t>::max()) return false;
    return fseeko(file, static_cast<off_t>(offset), whence) == 0;
#endif
}

int64_t fileLength(std::FILE* file) {
    if (!seekTo(file, 0, SEEK_END)) return -1;
#if defined(_WIN32)
    return _ftelli64(file);
#else
    return static_cast<int64_t>(ftello(file));
#endif
}

int32_t clampToInt32(int64_t value) {
    return static_cast<int32_t>(std::min<int64_t>(value, std::numeric_limits<int32_t>::max()));
}

}  // namespace

FrameFile::FrameFile(std::string path, int64_t byteLimit)
    : path_(std::move(path)), byteLimit_(std::min(byteLimit, kRecordingByteLimit)) {}

FrameFile::~FrameFile() { closeRecording(); }

void FrameFile::closeRecording() {
    if (workFile_) std::fclose(workFile_);
    workFile_ = nullptr;
    lockPending_ = false;
    recording_ = false;
}

bool FrameFile::tableFits(const StarTable& table) const {
    // A table composed anew during a run has another size; its frames do not belong here.
    if (table.starCount != recordingStars_) return false;
    const size_t n = static_cast<size_t>(recordingStars_);
    return table.displayX.size() >= n && table.displayY.size() >= n && table.displayZ.size() >= n;
}

bool FrameFile::frameOffset(int32_t k, int64_t& offset) const {
    if (k < 0) return false;
    const int64_t frameBytes = recording::frameBytes(recordingStars_);
    if (frameBytes > 0 && k > (std::numeric_limits<int64_t>::max() - kHeaderBytes) / frameBytes - 1)
        return false;  // beyond any file: the frame's end would not even be representable
    offset = recording::frameOffset(recordingStars_, k);
    return true;
}

bool FrameFile::writeHeaderCount(int64_t offset, int32_t value) {
    unsigned char bytes[4];
    recording::putInt32(bytes, value);
    return seekTo(workFile_, offset) && std::fwrite(bytes, 1, sizeof bytes, workFile_) == sizeof bytes;
}

bool FrameFile::createRecording(const StarTable& table) {
    closeRecording();
    stopped_ = false;
    fileFrames_ = 0;
    replayFrames_ = 0;
    recordingStars_ = std::max<int32_t>(table.starCount, 0);
    workFile_ = openRecordingExclusively(path_);
    if (!workFile_) return false;
    recording_ = true;
    // A new file holds no frames yet, so its header starts at 0 whatever this object
    // recorded before; the header must always match the frames present.
    return writeHeaderCount(recording::kStarCountOffset, recordingStars_) &&
           writeHeaderCount(recording::kFrameCountOffset, 0) && std::fflush(workFile_) == 0;
}

bool FrameFile::keepOnly(int32_t frames) {
    // Cut and counted through the locked stream, so no other writer comes in between.
    workFile_ = cutRecording(workFile_, recording::frameOffset(recordingStars_, frames));
    fileFrames_ = frames;
    return workFile_ && writeHeaderCount(recording::kStarCountOffset, recordingStars_) &&
           writeHeaderCount(recording::kFrameCountOffset, frames) && std::fflush(workFile_) == 0;
}

void FrameFile::keepWholeFrames() {
    stopped_ = true;
    // The header may have reached the disk with the next count before the failure.
    keepOnly(fileFrames_);
}

int32_t FrameFile::finishRecording() {
    if (!workFile_ || !recording_) return -1;  // a replay has nothing to mend
    if (!stopped_ && std::fflush(workFile_) != 0) keepWholeFrames();
    if (!workFile_) return -1;
    unsigned char header[kHeaderBytes] = {};
    const bool read = seekTo(workFile_, 0) && std::fread(header, 1, sizeof header, workFile_) == sizeof header;
    const int64_t length = fileLength(workFile_);
    if (length < kHeaderBytes) return keepOnly(0) ? 0 : -1;
    int32_t frames = fileFrames_;
    if (recordingStars_ > 0)
        frames = clampToInt32(std::min<int64_t>(frames, (length - kHeaderBytes) / recording::frameBytes(recordingStars_)));
    const bool whole = read && recording::getInt32(header + recording::kStarCountOffset) == recordingStars_ &&
                       recording::getInt32(header + recording::kFrameCountOffset) == frames &&
                       length == recording::frameOffset(recordingStars_, frames);
    if (whole) return frames;
    return keepOnly(frames) ? frames : -1;
}

void FrameFile::recordFrame(const StarTable& table) {
    // recordedFrames counts every frame the run offers, also those not written (no file,
    // star count changed, size limit reached): it is the run's frame clock, while
    // framesInFile and the header count only frames really in the file.
    if (recordedFrames_ < std::numeric_limits<int32_t>::max()) ++recordedFrames_;
    if (workFile_) writeFrame(table, fileFrames_);
}

bool FrameFile::writeFrame(const StarTable& table, int32_t k) {
    // A replay's stream only reads; the file it shows is not this program's to change.
    if (!workFile_ || !recording_ || stopped_ || !tableFits(table)) return false;
    if (k > fileFrames_) return false;  // would leave unwritten frames before it
    if (k == fileFrames_ && fileFrames_ == std::numeric_limits<int32_t>::max()) return false;
    int64_t offset = 0;
    if (!frameOffset(k, offset)) return false;
    const int64_t n = recordingStars_;
    if (offset + recording::frameBytes(n) >= byteLimit_) return false;  // the recording stops growing here

    const size_t count = static_cast<size_t>(n);
    // An empty galaxy's frames take no bytes; only the header counts them.
    if (count > 0) {
        const std::vector<double>* planes[3] = {&table.displayX, &table.displayY, &table.displayZ};
        for (int p = 0; p < 3; ++p) {
            if (!seekTo(workFile_, offset + p * static_cast<int64_t>(sizeof(double)) * n)) return false;
            if (std::fwrite(planes[p]->data(), sizeof(double), count, workFile_) != count) {
                if (k == fileFrames_) keepWholeFrames();
                return false;
            }
        }
    }
    if (k == fileFrames_) {
        // The frame is on disk before the header counts it, and the header right after.
        if (std::fflush(workFile_) != 0 || !writeHeaderCount(recording::kFrameCountOffset, fileFrames_ + 1) ||
            std::fflush(workFile_) != 0) {
            keepWholeFrames();
            return false;
        }
        ++fileFrames_;
    }
    return true;
}

bool FrameFile::loadFrame(StarTable& table, int32_t k) {
    if (!workFile_ || !tableFits(table)) return false;
    // Once the program that recorded the file lets it go, no other writer may change it under us.
    if (lockPending_) lockPending_ = !shareRecording(workFile_);
    int64_t offset = 0;
    if (!frameOffset(k, offset)) return false;
    const int64_t n = recordingStars_;
    const size_t count = static_cast<size_t>(n);
    if (count == 0) return true;  // nothing to read, and no buffer to read into
    try {
        scratch_.resize(count);
    } catch (const std::bad_alloc&) {
        return false;
    }
    std::vector<double>* planes[3] = {&table.displayX, &table.displayY, &table.displayZ};
    bool whole = true;
    for (int p = 0; p < 3; ++p) {
        if (!seekTo(workFile_, offset + p * static_cast<int64_t>(sizeof(double)) * n)) return false;
        const size_t got = std::fread(scratch_.data(), sizeof(double), count, workFile_);
        std::copy(scratch_.begin(), scratch_.begin() + static_cast<std::ptrdiff_t>(got), planes[p]->begin());
        whole = whole && got == count;
    }
    return whole;
}

bool FrameFile::openRecording(StarTable& table) {
    closeRecording();
    stopped_ = false;
    fileFrames_ = 0;
    replayFrames_ = 0;
    recordingStars_ = 0;
    // Only read: a replay never writes, and a recording on a read-only file or medium replays too.
    bool shared = false;
    workFile_ = openRecordingForReplay(path_, shared);
    if (!workFile_) return false;
    lockPending_ = !shared;

    unsigned char header[kHeaderBytes] = {};
    size_t got = 0;
    if (seekTo(workFile_, 0)) got = std::fread(header, 1, sizeof header, workFile_);
    // A folder opens for reading on some systems, and then no read succeeds: it is no recording.
    if (std::ferror(workFile_)) {
        closeRecording();
        return false;
    }
    const int64_t length = fileLength(workFile_);

    // The header is only believed as far as the file's length backs it.
    int32_t stars = 0;
    int64_t frames = 0;
    if (got == sizeof header && length >= kHeaderBytes) {
        stars = recording::getInt32(header + recording::kStarCountOffset);
        const int32_t claimed = recording::getInt32(header + recording::kFrameCountOffset);
        // No galaxy has more than kMaxStars stars: a larger count was not written here.
        if (stars > 0 && stars <= kMaxStars) {
            const int64_t held = (length - kHeaderBytes) / recording::frameBytes(stars);
            frames = std::min<int64_t>(std::max<int32_t>(claimed, 0), held);
            // A star count without a single frame's bytes behind it is not trusted with memory,
            // except from a recording closed before its first frame (0 frames); kMaxStars
            // bounds what such a header gets.
            if (held == 0 && claimed != 0) stars = 0;
        } else if (stars == 0) {
            frames = std::max<int32_t>(claimed, 0);  // empty frames take no bytes
        } else {
            stars = 0;
        }
    }

    const bool resized = stars != table.starCount;
    if (resized) {
        if (!reallocateStars(table, stars)) return true;  // table kept; nothing to replay
        table.replayOnly = true;
    } else {
        try {
            std::vector<double> x(static_cast<size_t>(stars)), y(x.size()), z(x.size());
            table.displayX.swap(x);
            table.displayY.swap(y);
            table.displayZ.swap(z);
        } catch (const std::bad_alloc&) {
            return true;
        }
        table.present = true;
    }
    recordingStars_ = stars;
    replayFrames_ = clampToInt32(frames);
    fileFrames_ = replayFrames_;
    if (replayFrames_ > 0) loadFrame(table, 0);
    if (resized) {
        // New stars start where the first frame shows them.
        table.posX = table.displayX;
        table.posY = table.displayY;
        table.posZ = table.displayZ;
    }
    return true;
}

}  // namespace selvane
