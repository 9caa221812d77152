#include "model/number_text.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <system_error>

namespace selvane {
namespace {

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Significant digits and decimal exponent of to_chars' scientific text "[-]d[.ddd]e[+-]xx".
struct Digits {
    int count = 0;
    int exponent = 0;
};

Digits digitsOf(const char* text, const char* end) {
    Digits d;
    const char* e = text;
    for (; *e != 'e'; ++e)
        if (*e >= '0' && *e <= '9') ++d.count;
    const char* power = e + 1;
    if (*power == '+') ++power;  // from_chars takes only a minus sign
    std::from_chars(power, end, d.exponent);
    return d;
}

// Fewest significant digits p for which the value rounded to p digits reads back as itself.
// That is the shortest round-trip text except just above a power of two, where the gap to
// the next lower double is half the gap above: there the nearest p-digit text may fall
// outside while a farther one fits, and more digits are taken, as the rounding writer did.
Digits roundTripDigits(double value) {
    char text[40];
    const char* end = std::to_chars(text, text + sizeof text, value, std::chars_format::scientific).ptr;
    const Digits shortest = digitsOf(text, end);
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    if ((bits & ((uint64_t{1} << 52) - 1)) != 0) return shortest;
    int p = shortest.count;
    for (; p < 17; ++p) {
        end = std::to_chars(text, text + sizeof text, value, std::chars_format::scientific, p - 1).ptr;
        double back = 0;
        std::from_chars(text, end, back);
        if (sameBits(back, value)) break;
    }
    end = std::to_chars(text, text + sizeof text, value, std::chars_format::scientific, p - 1).ptr;
    return digitsOf(text, end);
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isHexDigit(char c) { return isDigit(c) || ((c | 0x20) >= 'a' && (c | 0x20) <= 'f'); }

const char* skipSpace(const char* p, const char* end) {
    while (p != end && isScanSpace(*p)) ++p;
    return p;
}

// "0x" followed by a hexadecimal number; otherwise the text reads as the decimal 0 before the x.
bool startsHex(const char* p, const char* end) {
    if (end - p < 3 || p[0] != '0' || (p[1] | 0x20) != 'x') return false;
    return isHexDigit(p[2]) || (p[2] == '.' && end - p > 3 && isHexDigit(p[3]));
}

// For a number too large or too small for a double: whether it is at least 1, told by the
// position of its leading digit and its written exponent (of 10, or of 2 after hex digits).
bool atLeastOne(const char* q, const char* end, bool hex) {
    const auto digit = [hex](char c) { return hex ? isHexDigit(c) : isDigit(c); };
    const int64_t perDigit = hex ? 4 : 1;
    int64_t exponent = 0;
    bool leading = false;
    for (; q != end && digit(*q); ++q)
        if (leading || *q != '0') {
            if (leading) exponent += perDigit;
            leading = true;
        }
    if (q != end && *q == '.')
        for (++q; q != end && digit(*q); ++q)
            if (!leading) {
                exponent -= perDigit;
                leading = *q != '0';
            }
    if (q != end && (*q | 0x20) == (hex ? 'p' : 'e')) {
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

// Texts that "%lg" takes as one failed number where the longest number would still find one:
// "inf" followed by part of "inity" ("infin"), and "0x" followed by neither a hexadecimal
// digit nor a point, as scanf reads on as far as the text could still become a number.
bool scanFails(const char* p, const char* end) {
    p = skipSpace(p, end);
    if (p != end && (*p == '+' || *p == '-')) ++p;
    const char* word = "infinity";
    int matched = 0;
    while (matched < 8 && p + matched != end && (p[matched] | 0x20) == word[matched]) ++matched;
    if (matched > 3 && matched < 8) return true;
    return end - p >= 2 && p[0] == '0' && (p[1] | 0x20) == 'x' && (end - p == 2 || (!isHexDigit(p[2]) && p[2] != '.'));
}

}  // namespace

char* writeReal(char* out, double value) {
    if (std::isnan(value) || std::isinf(value)) {
        const char* word = std::isnan(value) ? (std::signbit(value) ? "-NAN" : "+NAN") : (value < 0 ? "-INF" : "+INF");
        std::memcpy(out, word, 4);
        return out + 4;
    }
    // "%lg" writes plain decimals while the exponent is at least -4 and below 6 (or below the
    // digit count), else "d.ddde+XX".
    const Digits d = roundTripDigits(value);
    char* const end = out + kMaxRealChars;
    if (d.exponent >= -4 && d.exponent < (d.count < 6 ? 6 : d.count)) {
        const int decimals = d.count - 1 - d.exponent;
        return std::to_chars(out, end, value, std::chars_format::fixed, decimals < 0 ? 0 : decimals).ptr;
    }
    return std::to_chars(out, end, value, std::chars_format::scientific, d.count - 1).ptr;
}

std::string formatReal(double value) {
    char buffer[kMaxRealChars];
    return std::string(buffer, writeReal(buffer, value));
}

const char* readReal(const char* begin, const char* end, double& value, RealForms forms) {
    const char* p = skipSpace(begin, end);
    bool negative = false;
    if (p != end && (*p == '+' || *p == '-')) negative = (*p++ == '-');
    if (p == end || *p == '-') return nullptr;  // one sign only; from_chars would take another
    const bool hex = forms == RealForms::DecimalAndHex && startsHex(p, end);
    const char* const number = hex ? p + 2 : p;
    double magnitude = 0;
    const std::from_chars_result r =
        std::from_chars(number, end, magnitude, hex ? std::chars_format::hex : std::chars_format::general);
    if (r.ec == std::errc::invalid_argument) return nullptr;
    if (r.ec == std::errc::result_out_of_range)
        magnitude = atLeastOne(number, r.ptr, hex) ? std::numeric_limits<double>::infinity() : 0.0;
    // C libraries read "nan(...)" payloads differently (some even as signalling NaNs); one
    // quiet NaN keeps a galaxy and its recording the same on every build.
    else if (std::isnan(magnitude))
        magnitude = std::numeric_limits<double>::quiet_NaN();
    value = negative ? -magnitude : magnitude;
    return r.ptr;
}

const char* readInteger(const char* begin, const char* end, int32_t& value, bool& outOfRange) {
    const char* p = skipSpace(begin, end);
    bool negative = false;
    if (p != end && (*p == '+' || *p == '-')) negative = (*p++ == '-');
    if (p == end || !isDigit(*p)) return nullptr;
    // One more than INT32_MAX below zero, so that INT32_MIN itself is in range.
    const uint64_t limit = uint64_t{std::numeric_limits<int32_t>::max()} + (negative ? 1 : 0);
    uint64_t magnitude = 0;
    const std::from_chars_result r = std::from_chars(p, end, magnitude);
    outOfRange = r.ec == std::errc::result_out_of_range || magnitude > limit;
    if (outOfRange) magnitude = limit;
    value = static_cast<int32_t>(negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude));
    return r.ptr;
}

// The typed text ends at its first NUL, as it did for the C library.
double readRealField(const std::string& text) {
    const char* begin = text.c_str();
    const char* end = begin + std::strlen(begin);
    double value = 0;
    if (scanFails(begin, end) || !readReal(begin, end, value, RealForms::DecimalAndHex)) return 0.0;
    return value;
}

int32_t readIntegerField(const std::string& text) {
    const char* begin = text.c_str();
    int32_t value = 0;
    bool outOfRange = false;
    return readInteger(begin, begin + std::strlen(begin), value, outOfRange) ? value : 0;
}

}  // namespace selvane
