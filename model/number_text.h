#pragma once
// Numbers as text: how the galaxy file writes and reads them and how Compose's fields read.
#include <cstddef>
#include <cstdint>
#include <string>

namespace selvane {

// Longest text writeReal makes: "-2.2250738585072014e-308".
constexpr size_t kMaxRealChars = 24;

// Shortest "%.{p}g" text (p = 1..17) that reads back to the identical double, laid out as
// "%lg" lays it out; infinities and NaN as "+INF", "-INF", "+NAN", "-NAN". Writes at most
// kMaxRealChars characters at `out` and returns the end.
char* writeReal(char* out, double value);
std::string formatReal(double value);

// White space as "%d" and "%lg" skip it.
inline bool isScanSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Which forms a number may take besides decimals, "inf", "infinity", "nan" and "nan(chars)".
enum class RealForms { Decimal, DecimalAndHex };

// Reads the number at the start of [begin, end) as "%lg" does: white space, a sign, then the
// longest number there. A value beyond a double's range reads as an infinity or zero of its
// sign, every NaN as the one quiet NaN of its sign. Returns where the number ends, or nullptr
// (value untouched) when no number starts there.
const char* readReal(const char* begin, const char* end, double& value, RealForms forms = RealForms::Decimal);

// "%d" over [begin, end): white space, a sign, decimal digits. A value beyond 32 bits sets
// outOfRange and gives the nearest 32-bit value. Returns where the digits end, or nullptr.
const char* readInteger(const char* begin, const char* end, int32_t& value, bool& outOfRange);

// A Compose field read with "%lg": no number gives 0.
double readRealField(const std::string& text);
// A Compose field read with "%d"; values beyond 32 bits saturate rather than overflow.
int32_t readIntegerField(const std::string& text);

}  // namespace selvane
