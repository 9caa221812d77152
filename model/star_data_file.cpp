#include "model/star_data_file.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <limits>
#include <new>
#include <stdexcept>
#include <system_error>
#include <utility>

namespace selvane {
namespace {

// Shortest possible star record, "0,0,0,0,0,0,0": a count needing more text than is
// left cannot be genuine, so nothing is allocated for it.
constexpr size_t kMinStarRecordChars = 13;

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isAlnum(char c) { return isDigit(c) || (lowerAscii(c) >= 'a' && lowerAscii(c) <= 'z'); }

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
        skipSpace();
        const char* q = p_;
        bool negative = false;
        if (q != end_ && (*q == '+' || *q == '-')) negative = (*q++ == '-');
        if (q == end_ || !isDigit(*q)) return false;
        // One more than INT32_MAX so that INT32_MIN itself is accepted.
        const int64_t limit = int64_t{std::numeric_limits<int32_t>::max()} + (negative ? 1 : 0);
        int64_t magnitude = 0;
        for (; q != end_ && isDigit(*q); ++q) {
            magnitude = magnitude * 10 + (*q - '0');
            if (magnitude > limit) return false;  // a count or speed beyond 32 bits is damage
        }
        value = static_cast<int32_t>(negative ? -magnitude : magnitude);
        p_ = q;
        return true;
    }

    bool real(double& value) {
        skipSpace();
        const char* q = p_;
        bool negative = false;
        if (q != end_ && (*q == '+' || *q == '-')) negative = (*q++ == '-');
        if (matchWord(q, "inf")) {
            matchWord(q, "inity");
            value = negative ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
            p_ = q;
            return true;
        }
        if (matchWord(q, "nan")) {
            skipNanPayload(q);
            value = std::copysign(std::numeric_limits<double>::quiet_NaN(), negative ? -1.0 : 1.0);
            p_ = q;
            return true;
        }
        // Decimal form only: the writer never produces hexadecimal, so "0x1" reads as 0
        // and the "x" then fails to match the next comma.
        size_t digits = 0;
        for (; q != end_ && isDigit(*q); ++q) ++digits;
        if (q != end_ && *q == '.')
            for (++q; q != end_ && isDigit(*q); ++q) ++digits;
        if (digits == 0) return false;
        if (q != end_ && (*q == 'e' || *q == 'E')) {
            const char* e = q + 1;
            if (e != end_ && (*e == '+' || *e == '-')) ++e;
            if (e != end_ && isDigit(*e)) {
                while (e != end_ && isDigit(*e)) ++e;
                q = e;
            }
        }
        // strtod needs a terminated copy; the token is known to be a complete number, so
        // anything short of consuming all of it means the conversion disagrees: reject.
        const std::string token(p_, q);
        char* stop = nullptr;
        const double parsed = std::strtod(token.c_str(), &stop);
        if (stop != token.c_str() + token.size()) return false;
        value = parsed;  // out-of-range magnitudes become infinity or zero, as "%lg" gave
        p_ = q;
        return true;
    }

private:
    void skipSpace() {
        while (p_ != end_ && (*p_ == ' ' || *p_ == '\t' || *p_ == '\n' || *p_ == '\v' || *p_ == '\f' || *p_ == '\r'))
            ++p_;
    }

    bool matchWord(const char*& q, const char* word) const {
        const size_t n = std::strlen(word);
        if (static_cast<size_t>(end_ - q) < n) return false;
        for (size_t i = 0; i < n; ++i)
            if (lowerAscii(q[i]) != word[i]) return false;
        q += n;
        return true;
    }

    // "nan(chars)" as strtod takes it; an unclosed bracket is left unread.
    void skipNanPayload(const char*& q) const {
        if (q == end_ || *q != '(') return;
        const char* r = q + 1;
        while (r != end_ && (isAlnum(*r) || *r == '_')) ++r;
        if (r != end_ && *r == ')') q = r + 1;
    }

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

bool writeWholeFile(const std::filesystem::path& path, const std::string& text, bool& created) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out.is_open()) return false;
    created = true;
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.flush();
    out.close();  // a failed close sets failbit: buffered data may not have reached the disk
    return !out.fail();
}

bool readWholeFile(const std::filesystem::path& path, std::string& data) {
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open()) return false;
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

}  // namespace

std::string formatReal(double value) {
    if (std::isnan(value)) return std::signbit(value) ? "-NAN" : "+NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "+INF";
    char buffer[40];
    int digits = 1;
    for (; digits < 17; ++digits) {  // 17 digits always read back
        std::snprintf(buffer, sizeof buffer, "%.*g", digits, value);
        if (sameBits(std::strtod(buffer, nullptr), value)) break;
    }
    std::snprintf(buffer, sizeof buffer, "%.*g", digits, value);
    // Keep the layout "%lg" gave: plain decimals while the exponent is below 6 (or below
    // the digit count), so 250 stays "250" rather than "2.5e+02".
    char scientific[40];
    std::snprintf(scientific, sizeof scientific, "%.*e", digits - 1, value);
    const int exponent = std::atoi(std::strchr(scientific, 'e') + 1);
    const int plainLimit = digits < 6 ? 6 : digits;
    if (exponent >= -4 && exponent < plainLimit) {
        const int decimals = digits - 1 - exponent;
        std::snprintf(buffer, sizeof buffer, "%.*f", decimals < 0 ? 0 : decimals, value);
    }
    return buffer;
}

std::string formatStarData(const StarTable& table, const SimulationParameters& params) {
    if (!tableConsistent(table)) return std::string();
    std::string text;
    text.reserve(32 + static_cast<size_t>(table.starCount) * 80);
    text += std::to_string(table.starCount);
    text += ',';
    text += formatReal(params.starSize);
    text += ',';
    text += std::to_string(params.recordingSpeed);
    text += ',';
    text += formatReal(params.lightSpeed);
    text += "\r\n";
    for (size_t i = 0; i < static_cast<size_t>(table.starCount); ++i) {
        const double fields[7] = {table.mass[i], table.displayX[i], table.displayY[i], table.displayZ[i],
                                  table.velX[i], table.velY[i],     table.velZ[i]};
        for (int f = 0; f < 7; ++f) {
            if (f) text += ',';
            text += formatReal(fields[f]);
        }
        text += "\r\n";
    }
    return text;
}

bool parseStarData(const char* data, size_t size, ParsedStarData& out) {
    if (data == nullptr && size != 0) return false;
    try {
        Scanner scan(data, size);
        ParsedStarData fresh;
        int32_t count = 0;
        if (!scan.integer(count) || !scan.comma() || !scan.real(fresh.starSize) || !scan.comma() ||
            !scan.integer(fresh.recordingSpeed) || !scan.comma() || !scan.real(fresh.lightSpeed))
            return false;
        if (count < 0) return false;
        if (static_cast<size_t>(count) > scan.remaining() / kMinStarRecordChars) return false;
        if (!reallocateStars(fresh.stars, count)) return false;
        StarTable& t = fresh.stars;
        for (size_t i = 0; i < static_cast<size_t>(count); ++i) {
            if (!scan.real(t.mass[i]) || !scan.comma() || !scan.real(t.displayX[i]) || !scan.comma() ||
                !scan.real(t.displayY[i]) || !scan.comma() || !scan.real(t.displayZ[i]) || !scan.comma() ||
                !scan.real(t.velX[i]) || !scan.comma() || !scan.real(t.velY[i]) || !scan.comma() ||
                !scan.real(t.velZ[i]))
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
    if (!table.present || params.starSize == 0 || std::isnan(params.starSize)) return false;
    if (!tableConsistent(table)) return false;
    std::string text;
    std::filesystem::path temporary;
    try {
        text = formatStarData(table, params);
        temporary = path;
        temporary += ".selvane-save.tmp";
    } catch (const std::bad_alloc&) {
        return false;
    }
    bool created = false;
    std::error_code ec;
    if (writeWholeFile(temporary, text, created)) {
        // std::filesystem::rename replaces an existing target on POSIX and on Windows
        // (MoveFileExW with replace), so the old file stays intact until the new one is
        // complete. Removing the target first is deliberately avoided: if the rename then
        // failed, the galaxy on disk would be lost.
        std::filesystem::rename(temporary, path, ec);
        if (!ec) return true;
    }
    if (created) std::filesystem::remove(temporary, ec);
    return false;
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
