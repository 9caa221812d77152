#pragma once
#include <cstdint>
#include <cstdio>
#include <string>

namespace selvane {

// The streams of a recording, each holding its lock (model/recording_lock.h) for as long as it
// is open, so every writer of this program, here or in another program, keeps off it.

// A stream for a new recording that no other stream records into or replays: the file is made
// if it is missing, locked exclusively, and only then emptied. Null when it cannot be made or
// another program records into it or replays it; the file is then left exactly as it was.
std::FILE* openRecordingExclusively(const std::string& path);

// A read-only stream for a replay. It holds the lock shared when it can (`shared`), so no writer
// changes the file under it; while another program records into the file it cannot, and the
// replay follows the growing recording.
std::FILE* openRecordingForReplay(const std::string& path, bool& shared);
// Tries again to take the shared lock of a replay stream that could not at first.
bool shareRecording(std::FILE* replay);

// After a failed write: closes the stream (with whatever it still held unwritten), cuts the file
// to `length` bytes and gives an update stream of it that still holds the lock. Null when no
// second stream could be made; the file is then left uncut rather than touched unlocked.
std::FILE* cutRecording(std::FILE* stream, int64_t length);

}  // namespace selvane
