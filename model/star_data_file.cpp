#include "model/star_data_file.h"

#include <charconv>
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

#include "model/file_replace.h"

namespace selvane {
namespace {

// Shortest possible star record, "0,0,0,0,0,0,0": a count needing more text than is
// left cannot be genuine, so nothing is allocated for it.
constexpr size_t kMinStarRecordChars = 13;

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Longest real written: "-2.2250738585072014e-308" (a fixed layout is at most "-0.0000" and 17 digits).
constexpr size_t kMaxRealChars = 24;

// Significant digits (no sign, no point) and decimal exponent of the first digit.
struct Decimal {
    char digits[17];
    int count = 0;
    int exponent = 0;
};

// Reads to_chars' scientific text "[-]d[.ddd]e[+-]xx".
Decimal splitScientific(const char* text, const char* end) {
    Decimal d;
    const char* c = text;
    if (*c == '-') ++c;
    for (; c != end && *c != 'e'; ++c)
        if (*c != '.' && d.count < 17) d.digits[d.count++] = *c;
    ++c;
    const bool negative = *c++ == '-';
    for (; c != end; ++c) d.exponent = d.exponent * 10 + (*c - '0');
    if (negative) d.exponent = -d.exponent;
    return d;
}

// Fewest significant digits p for which the value rounded to p digits reads back as itself.
// That is the shortest round-trip text except just above a power of two, where the gap to
// the next lower double is half the gap above: there the nearest p-digit text may fall
// outside while a farther one fits, and more digits are taken, as the rounding writer did.
Decimal roundTripDigits(double value) {
    char text[40];
    const char* end = std::to_chars(text, text + sizeof text, value, std::chars_format::scientific).ptr;
    Decimal shortest = splitScientific(text, end);
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    if ((bits & ((uint64_t{1} << 52) - 1)) != 0) return shortest;
    for (int p = shortest.count; p < 17; ++p) {
        end = std::to_chars(text, text + sizeof text, value, std::chars_format::scientific, p - 1).ptr;
        double back = 0;
        std::from_chars(text, end, back);
        if (sameBits(back, value)) return splitScientific(text, end);
    }
    end = std::to_chars(text, text + sizeof text, value, std::chars_format::scientific, 16).ptr;
    return splitScientific(text, end);
}

// The layout "%lg" gives, with as many digits as reading back needs: plain decimals while
// the exponent is at least -4 and below 6 (or below the digit count), else "d.ddde+XX".
char* writeReal(char* out, double value) {
    if (std::isnan(value) || std::isinf(value)) {
        const char* word = std::isnan(value) ? (std::signbit(value) ? "-NAN" : "+NAN") : (value < 0 ? "-INF" : "+INF");
        std::memcpy(out, word, 4);
        return out + 4;
    }
    const Decimal d = roundTripDigits(value);
    if (std::signbit(value)) *out++ = '-';
    const int plainLimit = d.count < 6 ? 6 : d.count;
    if (d.exponent >= -4 && d.exponent < plainLimit) {
        if (d.exponent < 0) {
            *out++ = '0';
            *out++ = '.';
            for (int i = -1; i > d.exponent; --i) *out++ = '0';
            std::memcpy(out, d.digits, static_cast<size_t>(d.count));
            return out + d.count;
        }
        const int whole = d.exponent + 1;
        for (int i = 0; i < whole; ++i) *out++ = i < d.count ? d.digits[i] : '0';
        if (d.count > whole) {
            *out++ = '.';
            std::memcpy(out, d.digits + whole, static_cast<size_t>(d.count - whole));
            out += d.count - whole;
        }
        return out;
    }
    *out++ = d.digits[0];
    if (d.count > 1) {
        *out++ = '.';
        std::memcpy(out, d.digits + 1, static_cast<size_t>(d.count - 1));
        out += d.count - 1;
    }
    *out++ = 'e';
    *out++ = d.exponent < 0 ? '-' : '+';
    const int magnitude = d.exponent < 0 ? -d.exponent : d.exponent;
    if (magnitude >= 100) *out++ = static_cast<char>('0' + magnitude / 100);
    *out++ = static_cast<char>('0' + magnitude / 10 % 10);
    *out++ = static_cast<char>('0' + magnitude % 10);
    return out;
}

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
        // Decimal form only, as the writer makes it.
        const char* number = q;
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
        double magnitude = 0;
        const std::from_chars_result r = std::from_chars(number, q, magnitude);
        if (r.ec == std::errc::result_out_of_range)
            magnitude = atLeastOne(number, q) ? std::numeric_limits<double>::infinity() : 0.0;  // as "%lg" gave
        else if (r.ec != std::errc() || r.ptr != q)
            return false;
        value = negative ? -magnitude : magnitude;
        p_ = q;
        return true;
    }

    // The last number of a line ends where the line does, as every other ends at its comma:
    // "0x10" or "6abc" there is damage, not 0 or 6 followed by ignored text.
    bool lineEnd() const { return p_ == end_ || isSpace(*p_); }

private:
    static bool isSpace(char c) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
    }

    void skipSpace() {
        while (p_ != end_ && isSpace(*p_)) ++p_;
    }

    // For a decimal number too large or too small for a double: whether it is at least 1,
    // told by the decimal exponent of its leading digit.
    static bool atLeastOne(const char* q, const char* end) {
        int64_t exponent = 0;
        bool leading = false;
        for (; q != end && isDigit(*q); ++q)
            if (leading || *q != '0') {
                if (leading) ++exponent;
                leading = true;
            }
        if (q != end && *q == '.')
            for (++q; q != end && isDigit(*q); ++q)
                if (!leading) {
                    --exponent;
                    leading = *q != '0';
                }
        if (q != end && (*q == 'e' || *q == 'E')) {
            ++q;
            bool negative = false;
            if (q != end && (*q == '+' || *q == '-')) negative = (*q++ == '-');
            int64_t written = 0;
            for (; q != end && isDigit(*q); ++q)
                if (written < (int64_t{1} << 40)) written = written * 10 + (*q - '0');
            exponent += negative ? -written : written;
        }
        return exponent >= 0;
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

}  // namespace

std::string formatReal(double value) {
    char buffer[kMaxRealChars];
    return std::string(buffer, writeReal(buffer, value));
}

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
    if (!table.present || params.starSize == 0 || std::isnan(params.starSize)) return false;
    if (!tableConsistent(table)) return false;
    try {
        return replaceFileContents(path, formatStarData(table, params));
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
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
