#include "model/star_data_file.h"

#include <charconv>
#include <cmath>
#include <fstream>
#include <new>
#include <stdexcept>
#include <system_error>
#include <utility>

#include "model/file_replace.h"
#include "model/number_text.h"

namespace selvane {
namespace {

// Shortest possible star record, "0,0,0,0,0,0,0": a count needing more text than is
// left cannot be genuine, so nothing is allocated for it.
constexpr size_t kMinStarRecordChars = 13;

// Reads numbers the way the "%d" / "%lg" conversions did, but never beyond `end_`.
class Scanner {
public:
    Scanner(const char* data, size_t size) : p_(data), end_(data + size) {}

    size_t remaining() const { return static_cast<size_t>(end_ - p_); }

    // A literal comma in the format must follow the previous number directly.
    bool comma() {
        if (p_ == end_ || *p_ != ',') return false;
        ++p_;
        return true;
    }

    bool integer(int32_t& value) {
        bool outOfRange = false;
        const char* q = readInteger(p_, end_, value, outOfRange);
        if (!q || outOfRange) return false;  // a count or speed beyond 32 bits is damage
        p_ = q;
        return true;
    }

    // Decimal form only, as the writer makes it.
    bool real(double& value) {
        const char* q = readReal(p_, end_, value);
        if (!q) return false;
        p_ = q;
        return true;
    }

    // The last number of a line ends where the line does, as every other ends at its comma:
    // "0x10" or "6abc" there is damage, not 0 or 6 followed by ignored text.
    bool lineEnd() const { return p_ == end_ || isScanSpace(*p_); }

private:
    const char* p_;
    const char* end_;
};

bool tableConsistent(const StarTable& t) {
    if (!t.present || t.starCount < 0) return false;
    const size_t n = static_cast<size_t>(t.starCount);
    for (const auto* array : {&t.displayX, &t.displayY, &t.displayZ, &t.posX, &t.posY, &t.posZ, &t.velX, &t.velY,
                              &t.velZ, &t.mass})
        if (array->size() != n) return false;
    return true;
}

}  // namespace

std::string formatStarData(const StarTable& table, const SimulationParameters& params) {
    if (!tableConsistent(table)) return std::string();
    const size_t count = static_cast<size_t>(table.starCount);
    std::string text(48 + 2 * kMaxRealChars + count * (7 * kMaxRealChars + 8), '\0');
    char* out = &text[0];
    out = std::to_chars(out, out + 12, table.starCount).ptr;
    *out++ = ',';
    out = writeReal(out, params.starSize);
    *out++ = ',';
    out = std::to_chars(out, out + 12, params.recordingSpeed).ptr;
    *out++ = ',';
    out = writeReal(out, params.lightSpeed);
    *out++ = '\r';
    *out++ = '\n';
    for (size_t i = 0; i < count; ++i) {
        const double fields[7] = {table.mass[i], table.displayX[i], table.displayY[i], table.displayZ[i],
                                  table.velX[i], table.velY[i],     table.velZ[i]};
        for (int f = 0; f < 7; ++f) {
            if (f) *out++ = ',';
            out = writeReal(out, fields[f]);
        }
        *out++ = '\r';
        *out++ = '\n';
    }
    text.resize(static_cast<size_t>(out - text.data()));
    return text;
}

bool parseStarData(const char* data, size_t size, ParsedStarData& out) {
    if (data == nullptr && size != 0) return false;
    try {
        Scanner scan(data, size);
        ParsedStarData fresh;
        int32_t count = 0;
        if (!scan.integer(count) || !scan.comma() || !scan.real(fresh.starSize) || !scan.comma() ||
            !scan.integer(fresh.recordingSpeed) || !scan.comma() || !scan.real(fresh.lightSpeed) || !scan.lineEnd())
            return false;
        if (count < 0 || count > kMaxStars) return false;  // more than a desktop can run
        if (static_cast<size_t>(count) > scan.remaining() / kMinStarRecordChars) return false;
        if (!reallocateStars(fresh.stars, count)) return false;
        StarTable& t = fresh.stars;
        for (size_t i = 0; i < static_cast<size_t>(count); ++i) {
            if (!scan.real(t.mass[i]) || !scan.comma() || !scan.real(t.displayX[i]) || !scan.comma() ||
                !scan.real(t.displayY[i]) || !scan.comma() || !scan.real(t.displayZ[i]) || !scan.comma() ||
                !scan.real(t.velX[i]) || !scan.comma() || !scan.real(t.velY[i]) || !scan.comma() ||
                !scan.real(t.velZ[i]) || !scan.lineEnd())
                return false;
        }
        // A freshly opened galaxy starts where it is displayed.
        t.posX = t.displayX;
        t.posY = t.displayY;
        t.posZ = t.displayZ;
        out = std::move(fresh);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
}

bool saveStarData(const std::filesystem::path& path, const StarTable& table, const SimulationParameters& params) {
    if (!table.present || table.replayOnly || params.starSize == 0 || std::isnan(params.starSize)) return false;
    if (!tableConsistent(table)) return false;
    try {
        return replaceFileContents(path, formatStarData(table, params));
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
}

bool readWholeFile(const std::filesystem::path& path, std::string& data) {
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open()) return false;
    std::error_code ec;
    const uintmax_t size = std::filesystem::file_size(path, ec);
    if (!ec && size <= kMaxStarDataFileBytes) data.reserve(static_cast<size_t>(size));
    char chunk[65536];
    for (;;) {
        in.read(chunk, sizeof chunk);
        const std::streamsize got = in.gcount();
        if (got > 0) {
            if (data.size() + static_cast<uint64_t>(got) > kMaxStarDataFileBytes) return false;
            data.append(chunk, static_cast<size_t>(got));
        }
        if (!in) break;
    }
    return !in.bad();
}

bool loadStarData(const std::filesystem::path& path, StarTable& table, SimulationParameters& params) {
    ParsedStarData parsed;
    try {
        std::string data;
        if (!readWholeFile(path, data)) return false;
        if (!parseStarData(data.data(), data.size(), parsed)) return false;
    } catch (const std::bad_alloc&) {
        return false;
    }
    table = std::move(parsed.stars);
    params.starSize = parsed.starSize;
    params.recordingSpeed = parsed.recordingSpeed;
    params.lightSpeed = parsed.lightSpeed;
    return true;
}

}  // namespace selvane
