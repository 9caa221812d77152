#pragma once
// The arguments exp is checked on, the same sequence on every build: random doubles over the
// whole range, dense sweeps of consecutive doubles at each edge of the algorithm, and special
// values. Shared by tests/exp_test.cpp and tools/exp_reference.cpp, which records glibc's
// results for them in tests/data/exp_reference.inc.
#include <cstdint>
#include <cstring>

namespace selvane {
namespace exp_arguments {

inline double fromBits(uint64_t u) {
    double d;
    std::memcpy(&d, &u, sizeof d);
    return d;
}

inline uint64_t bitsOf(double d) {
    uint64_t u;
    std::memcpy(&u, &d, sizeof u);
    return u;
}

// splitmix64: portable, so every build draws the same arguments.
struct Random {
    uint64_t state;
    uint64_t next() {
        uint64_t z = (state += 0x9e3779b97f4a7c15ull);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
        return z ^ (z >> 31);
    }
    double uniform(double lo, double hi) {
        return lo + (hi - lo) * (static_cast<double>(next() >> 11) * 0x1p-53);
    }
};

// The edges: overflow, last non-zero result, first subnormal result, the skip bound
// (1 - exp(x) is 1 below it), |x| = 512 and 1024 (special-case paths), |x| = 2^-54 (tiny x).
constexpr double kEdges[] = {0x1.62e42fefa39efp+9,  -0x1.74910d52d3051p+9, -0x1.6232bdd7abcd2p+9,
                             -0x1.2b708872320e1p+5, 512.0,  -512.0, 1024.0, -1024.0,
                             0x1p-54, -0x1p-54};

template <class F>
void forEachArgument(F&& f, int64_t scale = 1) {
    Random rnd{20261208};
    for (int64_t i = 0; i < 3000000 / scale; ++i) f(fromBits(rnd.next()));
    for (int64_t i = 0; i < 6000000 / scale; ++i) f(rnd.uniform(-746, 710));
    for (int64_t i = 0; i < 2000000 / scale; ++i) f(rnd.uniform(-746, -708));  // subnormal results
    for (int64_t i = 0; i < 1000000 / scale; ++i) f(rnd.uniform(-40, -35));
    for (int64_t i = 0; i < 3000000 / scale; ++i) {  // near 0, every binade down to 2^-70
        const uint64_t u = rnd.next();
        f(fromBits((u & 0x800fffffffffffffull) | ((1023 - u % 71) << 52)));
    }
    for (size_t e = 0; e < sizeof kEdges / sizeof kEdges[0]; ++e) {
        const int64_t half = (e < 4 ? 1000000 : 100000) / scale;
        for (int64_t d = -half; d < half; ++d) f(fromBits(bitsOf(kEdges[e]) + d));
    }
    const double specials[] = {0.0, -0.0, 1.0, -1.0, 0x1p-1074, -0x1p-1074, 0x1p-1022, -0x1p-1022,
                               0x1.fffffffffffffp+1023, -0x1.fffffffffffffp+1023, 1e300, -1e300,
                               709.0, 710.0, -745.0, -746.0, fromBits(0x7ff0000000000000ull),
                               fromBits(0xfff0000000000000ull), fromBits(0x7ff8000000000000ull),
                               fromBits(0xfff8000000000000ull), fromBits(0x7ff8000000001234ull)};
    for (double x : specials) f(x);
}

// FNV-1a over the result bits, in order.
struct Hash {
    uint64_t value = 0xcbf29ce484222325ull;
    void add(double y) {
        const uint64_t u = bitsOf(y);
        for (int b = 0; b < 64; b += 8) value = (value ^ ((u >> b) & 0xff)) * 0x100000001b3ull;
    }
};

}  // namespace exp_arguments
}  // namespace selvane
