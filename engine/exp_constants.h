#pragma once
#include <cstdint>

// The constants of the program's exp, shared by the one-at-a-time and the vector versions so
// both take the same steps with the same numbers.
namespace selvane::exp_detail {

// e^x = 2^(k/128) * e^r with k = round(x * 128/ln 2) and |r| <= ln 2/256.
constexpr int kTableBits = 7;
constexpr uint64_t kTableSize = 1 << kTableBits;
constexpr double kInvLn2N = 0x1.71547652b82fep+7;    // 128/ln 2
constexpr double kNegLn2HiN = -0x1.62e42fefa0000p-8;  // -ln 2/128, high part (k * it is exact)
constexpr double kNegLn2LoN = -0x1.cf79abc9e3b3ap-47;  // the rest of -ln 2/128
constexpr double kShift = 0x1.8p+52;      // 1.5 * 2^52: rounds to an integer
// e^r - 1 ~ r + r^2 (C2 + r C3) + r^4 (C4 + r C5)
constexpr double kC2 = 0x1.ffffffffffdbdp-2;
constexpr double kC3 = 0x1.555555555543cp-3;
constexpr double kC4 = 0x1.55555cf172b91p-5;
constexpr double kC5 = 0x1.1111167a4d017p-7;

// For i = 0..127, 2^(i/128) split as H + H * tail: entry 2i is tail (the relative error of H
// rounded to a double), entry 2i+1 is the bits of H, the double nearest 2^(i/128), minus
// i << 45 so that adding k << 45 puts the exponent of 2^(k/128) in place.
// tools/exp_table.py recomputes them from exact arithmetic.
extern const uint64_t kTable[2 * kTableSize];

}  // namespace selvane::exp_detail
