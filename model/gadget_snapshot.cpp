#include "model/gadget_snapshot.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <stdexcept>

namespace selvane {

namespace {

constexpr int32_t kHeaderBytes = 256;
constexpr int kTypes = 6;
// Where the header keeps what this program reads and writes.
constexpr size_t kCountsAt = 0, kMassTableAt = 24, kTimeAt = 72, kTotalsAt = 96, kFilesAt = 124,
                 kDoubleFlagAt = 196;

template <typename T>
void put(std::string& bytes, size_t at, T value) {
    std::memcpy(&bytes[at], &value, sizeof value);
}

// The build is little-endian on every platform it has (x86 and x86-64).
template <typename T>
void append(std::string& bytes, T value) {
    char raw[sizeof value];
    std::memcpy(raw, &value, sizeof value);
    bytes.append(raw, sizeof raw);
}

void appendMarker(std::string& bytes, size_t size) { append(bytes, static_cast<int32_t>(size)); }

void appendReals(std::string& bytes, const double* const* arrays, int width, size_t count, bool doublePrecision) {
    const size_t size = count * static_cast<size_t>(width) * (doublePrecision ? 8 : 4);
    appendMarker(bytes, size);
    for (size_t i = 0; i < count; ++i)
        for (int a = 0; a < width; ++a) {
            if (doublePrecision) append(bytes, arrays[a][i]);
            else append(bytes, static_cast<float>(arrays[a][i]));
        }
    appendMarker(bytes, size);
}

// Reads a snapshot's bytes in its byte order, never past the end.
class SnapshotReader {
public:
    SnapshotReader(const char* data, size_t size, bool swapped) : p_(data), end_(data + size), swapped_(swapped) {}

    bool atEnd() const { return p_ == end_; }

    // One Fortran record: its body, when its two byte counts agree and the bytes are there.
    bool record(const char*& body, size_t& size) {
        int32_t before = 0, after = 0;
        if (!int32At(p_, before) || before < 0 || static_cast<size_t>(before) > remaining() - 4) return false;
        body = p_ + 4;
        size = static_cast<size_t>(before);
        if (remaining() - 4 - size < 4 || !int32At(body + size, after) || after != before) return false;
        p_ = body + size + 4;
        return true;
    }

    bool int32At(const char* at, int32_t& value) const {
        if (at < p_ || static_cast<size_t>(end_ - at) < 4) return false;
        value = static_cast<int32_t>(load<uint32_t>(at));
        return true;
    }

    template <typename T>
    T load(const char* at) const {
        unsigned char raw[sizeof(T)];
        std::memcpy(raw, at, sizeof raw);
        if (swapped_)
            for (size_t i = 0; i < sizeof raw / 2; ++i) std::swap(raw[i], raw[sizeof raw - 1 - i]);
        T value;
        std::memcpy(&value, raw, sizeof value);
        return value;
    }

    double real(const char* at, size_t width) const {
        return width == 8 ? load<double>(at) : static_cast<double>(load<float>(at));
    }

private:
    size_t remaining() const { return static_cast<size_t>(end_ - p_); }

    const char* p_;
    const char* end_;
    bool swapped_;
};

struct Block {
    const char* body = nullptr;
    size_t size = 0;
};

// The marker a snapshot starts with, in little-endian bytes: 256 (format 1) or 8 (format 2).
bool firstMarker(const char* data, size_t size, int32_t& marker, bool& swapped) {
    if (size < 4) return false;
    const SnapshotReader little(data, size, false), big(data, size, true);
    int32_t value = 0;
    for (const SnapshotReader* reader : {&little, &big}) {
        reader->int32At(data, value);
        if (value == kHeaderBytes || value == 8) {
            marker = value;
            swapped = reader == &big;
            return true;
        }
    }
    return false;
}

}  // namespace

std::string formatGadgetSnapshot(const SnapshotStars& stars, double time, bool doublePrecision) {
    const size_t n = stars.count;
    std::string header(kHeaderBytes, '\0');
    put(header, kCountsAt + 4, static_cast<int32_t>(n));  // type 1
    put(header, kTimeAt, time);
    put(header, kTotalsAt + 4, static_cast<uint32_t>(n));
    put(header, kFilesAt, int32_t{1});
    put(header, kDoubleFlagAt, int32_t{doublePrecision ? 1 : 0});

    const size_t real = doublePrecision ? 8 : 4;
    std::string bytes;
    bytes.reserve(kHeaderBytes + 8 + 5 * 8 + n * (7 * real + 4));
    appendMarker(bytes, kHeaderBytes);
    bytes += header;
    appendMarker(bytes, kHeaderBytes);
    appendReals(bytes, stars.position, 3, n, doublePrecision);
    appendReals(bytes, stars.velocity, 3, n, doublePrecision);
    appendMarker(bytes, 4 * n);
    for (size_t i = 0; i < n; ++i) append(bytes, static_cast<uint32_t>(i + 1));
    appendMarker(bytes, 4 * n);
    appendReals(bytes, &stars.mass, 1, n, doublePrecision);
    return bytes;
}

bool looksLikeGadgetSnapshot(const char* data, size_t size) {
    int32_t marker = 0;
    bool swapped = false;
    return firstMarker(data, size, marker, swapped);
}

bool parseGadgetSnapshot(const char* data, size_t size, StarTable& out, std::string& problem) {
    int32_t marker = 0;
    bool swapped = false;
    if (!firstMarker(data, size, marker, swapped)) {
        problem = "it does not start as a GADGET snapshot";
        return false;
    }
    SnapshotReader reader(data, size, swapped);
    const bool named = marker == 8;  // format 2: a record naming each block before it
    // The next block, with its name in format 2 (format 1 has none, its blocks come in order).
    const auto nextBlock = [&](Block& block, std::string& name) {
        if (named) {
            const char* label = nullptr;
            size_t labelSize = 0;
            if (!reader.record(label, labelSize) || labelSize != 8) return false;
            name.assign(label, 4);
        }
        return reader.record(block.body, block.size);
    };

    Block header;
    std::string name;
    if (!nextBlock(header, name) || header.size != kHeaderBytes || (named && name != "HEAD")) {
        problem = "its header record is damaged";
        return false;
    }
    int64_t counts[kTypes], total = 0, unmassed = 0;
    double massTable[kTypes];
    for (int t = 0; t < kTypes; ++t) {
        counts[t] = reader.load<int32_t>(header.body + kCountsAt + 4 * t);
        massTable[t] = reader.load<double>(header.body + kMassTableAt + 8 * t);
        if (counts[t] < 0) {
            problem = "its header counts " + std::to_string(counts[t]) + " particles of type " + std::to_string(t);
            return false;
        }
        total += counts[t];
        if (massTable[t] == 0) unmassed += counts[t];
    }
    if (total > kMaxStars) {
        problem = "it holds " + std::to_string(total) + " particles, more than the " + std::to_string(kMaxStars) +
                  " stars a galaxy may have";
        return false;
    }
    if (total == 0) {
        problem = "it holds no particles";
        return false;
    }

    // Format 1 names its blocks by their order; format 2 may hold others between them.
    const char* const order[] = {"POS ", "VEL ", "ID  ", "MASS"};
    Block positions, velocities, masses;
    size_t realWidth = 0;
    for (int index = 0; !(positions.body && velocities.body && (masses.body || unmassed == 0));) {
        Block block;
        if (reader.atEnd() || !nextBlock(block, name)) {
            problem = "its blocks are cut or damaged";
            return false;
        }
        if (!named) name = index < 4 ? order[index] : "";
        ++index;
        const size_t n = static_cast<size_t>(name == "MASS" ? unmassed : total);
        const size_t width = name == "MASS" ? 1 : 3;
        if (name != "POS " && name != "VEL " && name != "MASS") continue;
        const size_t real = block.size == n * width * 4 ? 4 : block.size == n * width * 8 ? 8 : 0;
        if (real == 0 || (realWidth != 0 && real != realWidth && name != "MASS")) {
            problem = "its " + name.substr(0, name.find(' ')) + " block holds " + std::to_string(block.size) +
                      " bytes for " + std::to_string(n) + " particles";
            return false;
        }
        if (name != "MASS") realWidth = real;
        (name == "POS " ? positions : name == "VEL " ? velocities : masses) = block;
    }

    StarTable table;
    if (!reallocateStars(table, static_cast<int32_t>(total))) {  // no memory for them
        problem = "there is no memory for " + std::to_string(total) + " stars";
        return false;
    }
    const size_t massWidth = unmassed > 0 ? masses.size / static_cast<size_t>(unmassed) : 0;
    size_t i = 0, massIndex = 0;
    for (int t = 0; t < kTypes; ++t)
        for (int64_t k = 0; k < counts[t]; ++k, ++i) {
            table.mass[i] = massTable[t] != 0 ? massTable[t] : reader.real(masses.body + massIndex++ * massWidth, massWidth);
            double* const axes[6] = {&table.displayX[i], &table.displayY[i], &table.displayZ[i],
                                     &table.velX[i],     &table.velY[i],     &table.velZ[i]};
            for (int a = 0; a < 3; ++a) {
                *axes[a] = reader.real(positions.body + (3 * i + a) * realWidth, realWidth);
                *axes[3 + a] = reader.real(velocities.body + (3 * i + a) * realWidth, realWidth);
            }
            for (double value : {table.mass[i], *axes[0], *axes[1], *axes[2], *axes[3], *axes[4], *axes[5]})
                if (!std::isfinite(value)) {
                    problem = "particle " + std::to_string(i + 1) + " has a value that is not a finite number";
                    return false;
                }
        }
    startWhereDisplayed(table);
    out = std::move(table);
    return true;
}

}  // namespace selvane
