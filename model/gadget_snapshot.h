#pragma once
// GADGET-2 snapshots, the file of the N-body codes most analysis tools read: a header record
// of 256 bytes then blocks of positions, velocities, identities and masses, each a Fortran
// record (its byte count before and after it). Format 2 puts a record naming each block
// ("POS ", "VEL "...) before it.
#include <cstddef>
#include <cstdint>
#include <string>

#include "model/star_table.h"

namespace selvane {

// Stars as a snapshot takes them: `count` of each of the seven arrays.
struct SnapshotStars {
    size_t count = 0;
    const double* mass = nullptr;
    const double* position[3] = {nullptr, nullptr, nullptr};
    const double* velocity[3] = {nullptr, nullptr, nullptr};
};

// A little-endian format 1 snapshot of one file: every star a particle of type 1 with the
// identity of its place (from 1), masses in the MASS block, `time` in the header. Reals as
// 4-byte floats (the format's own) or, with doublePrecision, 8-byte doubles.
std::string formatGadgetSnapshot(const SnapshotStars& stars, double time, bool doublePrecision);

// Whether these bytes start like a snapshot of either format and byte order.
bool looksLikeGadgetSnapshot(const char* data, size_t size);

// Reads a snapshot of format 1 or 2, either precision and byte order: the particles of every
// type in the file's order, masses from the header's table or the MASS block. False, with
// `out` untouched and a one-line `problem`, for anything cut, lying or out of range (a record
// whose counts disagree, more than kMaxStars particles, a number that is not finite).
bool parseGadgetSnapshot(const char* data, size_t size, StarTable& out, std::string& problem);

}  // namespace selvane
