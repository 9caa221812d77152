#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "model/star_table.h"

namespace selvane {

// The recording of a run ("Recorder.wrk", laid out as engine/recording_layout.h says).
// One update stream serves both recording and replay.
class FrameFile {
public:
    // Recordings stay below 2 GiB so every offset also fits the 32-bit file calls of old readers.
    static constexpr int64_t kRecordingByteLimit = int64_t(1) << 31;
    // Largest star count believed from a header that says 0 frames and has no frame behind
    // it: the ten arrays of such a table take 80 MB, and a hostile header gets no more.
    static constexpr int32_t kFramelessStarLimit = int32_t(1) << 20;

    // byteLimit: no frame is written that would end at or beyond it; larger values are
    // reduced to kRecordingByteLimit.
    explicit FrameFile(std::string path = "Recorder.wrk", int64_t byteLimit = kRecordingByteLimit);
    ~FrameFile();
    FrameFile(const FrameFile&) = delete;
    FrameFile& operator=(const FrameFile&) = delete;

    // Starts a new, empty recording of the table's star count (truncating the file), which
    // no other stream may record into while it is open. False when the file cannot be created
    // or another program records into it; then no recording is open and the file is as it was.
    bool createRecording(const StarTable& table);
    // Appends the table's displayed positions as the next frame and updates the header; both
    // are on disk when it returns, so a kill at any later moment keeps every frame offered.
    void recordFrame(const StarTable& table);
    // Writes frame k (an existing frame, or the next one, which also advances the header).
    // False, writing nothing, when the frame cannot belong to this recording.
    bool writeFrame(const StarTable& table, int32_t k);
    // Reads frame k into the displayed arrays; a partial frame fills only what the file
    // holds. True when the whole frame was read.
    bool loadFrame(StarTable& table, int32_t k);
    // Opens an existing recording for replay, fits the table to it and loads frame 0.
    // False only when the file cannot be opened.
    bool openRecording(StarTable& table);
    void closeRecording();
    // Ends a recording before it is closed, still under its lock: the file is made to hold
    // exactly the frames its header counts (a failing disk may have left part of a frame, or a
    // count ahead of the frames). Returns those frames, or -1 when the file could not be read
    // back or mended.
    int32_t finishRecording();

    // Frames offered to recordFrame over this object's life, written or not.
    int32_t recordedFrames() const { return recordedFrames_; }
    // Whole frames in the open recording; the header always says the same while recording.
    int32_t framesInFile() const { return fileFrames_; }
    // Frames available for replay after the last openRecording.
    int32_t replayFrames() const { return replayFrames_; }
    int32_t recordingStarCount() const { return recordingStars_; }
    bool isOpen() const { return workFile_ != nullptr; }
    bool hasFrame(int32_t k) const { return workFile_ != nullptr && k >= 0 && k < fileFrames_; }

private:
    bool tableFits(const StarTable& table) const;
    bool frameOffset(int32_t k, int64_t& offset) const;
    bool writeHeaderCount(int64_t offset, int32_t value);
    // After a failed write (a full disk): cuts the file back to the frames its header holds
    // and keeps it for replay only, so the recording stays whole and grows no more. The lock
    // is kept throughout.
    void keepWholeFrames();
    // Cuts the file to `frames` frames and has the header count them; false when it could not.
    bool keepOnly(int32_t frames);

    std::string path_;
    int64_t byteLimit_;
    std::FILE* workFile_ = nullptr;
    int32_t recordedFrames_ = 0;
    int32_t fileFrames_ = 0;
    int32_t replayFrames_ = 0;
    int32_t recordingStars_ = 0;
    bool stopped_ = false;  // a write failed: nothing more is written to this recording
    bool lockPending_ = false;  // a replay that could not yet take the shared lock
    bool recording_ = false;    // the stream was made by createRecording
    std::vector<double> scratch_;  // one plane, so a short read never disturbs the table
};

}  // namespace selvane
