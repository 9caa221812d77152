#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "engine/exp.h"
#include "engine/instruction_sets.h"
#include "tests/data/exp_arguments.h"

namespace selvane {
namespace {

#include "tests/data/exp_reference.inc"

using exp_arguments::bitsOf;
using exp_arguments::forEachArgument;
using exp_arguments::fromBits;

using ExpFunction = double (*)(double);

struct Path {
    const char* name;
    ExpFunction exp;
    int64_t scale;       // checks 1/scale of the arguments
    uint64_t glibcHash;  // glibc's results for them, recorded
};

// The path exactExp takes on this processor, and the software one if that is not it (a quarter
// of the arguments: it is slower).
std::vector<Path> paths() {
    std::vector<Path> all = {{"dispatched", exactExp, 1, kGlibcExpHash}};
    if (exp_detail::hardwareFmaAvailable())
        all.push_back({"software fma", exp_detail::expWithSoftwareFma, 4, kGlibcExpQuarterHash});
    return all;
}

// glibc takes its FMA build of exp on processors with FMA and AVX2; only that one is the reference.
bool glibcExpFuses() {
#if defined(__GLIBC__) && (defined(__x86_64__) || defined(__i386__))
    return instructionSets().avx2Fma;
#else
    return false;
#endif
}

TEST(ExactExp, EqualsGlibcOnEveryArgument) {
    if (!glibcExpFuses()) GTEST_SKIP() << "no glibc exp with FMA to compare with";
    for (const Path& path : paths()) {
        int64_t mismatches = 0;
        exp_arguments::Hash glibc;
        forEachArgument(
            [&](double x) {
                const double want = std::exp(x), got = path.exp(x);
                glibc.add(want);
                if (bitsOf(got) != bitsOf(want) && mismatches++ < 5)
                    ADD_FAILURE() << path.name << ": exp(" << std::hexfloat << x << ") = " << got
                                  << ", glibc " << want;
            },
            path.scale);
        EXPECT_EQ(mismatches, 0) << path.name;
        // What builds without glibc are checked against.
        EXPECT_EQ(glibc.value, path.glibcHash) << "rerun tools/exp_reference.cpp";
    }
}

// Builds without glibc: the same results as glibc's, recorded.
TEST(ExactExp, EqualsRecordedGlibcResults) {
    for (const Path& path : paths()) {
        for (const auto& pair : kGlibcExpPairs) {
            ASSERT_EQ(bitsOf(path.exp(fromBits(pair[0]))), pair[1])
                << path.name << std::hexfloat << ": exp(" << fromBits(pair[0]) << ")";
        }
        if (glibcExpFuses()) continue;  // compared one by one above
        exp_arguments::Hash hash;
        int64_t count = 0;
        forEachArgument(
            [&](double x) {
                hash.add(path.exp(x));
                ++count;
            },
            path.scale);
        if (path.scale == 1) {
            EXPECT_EQ(count, kGlibcExpCount);
        }
        EXPECT_EQ(hash.value, path.glibcHash) << path.name;
    }
}

TEST(ExactExp, EdgesAndSpecialValues) {
    const double inf = HUGE_VAL;
    for (const Path& path : paths()) {
        SCOPED_TRACE(path.name);
        EXPECT_EQ(bitsOf(path.exp(0.0)), bitsOf(1.0));
        EXPECT_EQ(bitsOf(path.exp(-0.0)), bitsOf(1.0));
        EXPECT_EQ(path.exp(inf), inf);
        EXPECT_EQ(bitsOf(path.exp(-inf)), bitsOf(0.0));
        EXPECT_TRUE(std::isnan(path.exp(std::nan(""))));
        EXPECT_EQ(path.exp(0x1.62e42fefa39efp+9), 0x1.fffffffffff2ap+1023);  // largest finite
        EXPECT_EQ(path.exp(std::nextafter(0x1.62e42fefa39efp+9, inf)), inf);
        EXPECT_EQ(path.exp(1e300), inf);
        EXPECT_EQ(path.exp(-0x1.74910d52d3051p+9), 0x1p-1074);  // smallest subnormal
        EXPECT_EQ(bitsOf(path.exp(std::nextafter(-0x1.74910d52d3051p+9, -inf))), bitsOf(0.0));
        EXPECT_EQ(bitsOf(path.exp(-1e300)), bitsOf(0.0));
        EXPECT_EQ(path.exp(1.0), 0x1.5bf0a8b145769p+1);
        EXPECT_EQ(path.exp(-1.0), 0x1.78b56362cef38p-2);
    }
}

// 1 - exp(x) is exactly 1 for every x below this and for none at or above it: a step may skip
// exp there.
TEST(ExactExp, SkipBoundHoldsOnBothSides) {
    const double bound = -0x1.2b708872320e1p+5;
    for (const Path& path : paths()) {
        int64_t wrong = 0;
        for (int64_t d = -1000000; d <= 1000000; ++d) {
            const double x = fromBits(bitsOf(bound) - d);  // d > 0: above the bound
            if ((1 - path.exp(x) == 1) != (d < 0)) ++wrong;
        }
        EXPECT_EQ(wrong, 0) << path.name;
        EXPECT_EQ(1 - path.exp(-1e300), 1.0);
        EXPECT_LT(1 - path.exp(-37.0), 1.0);
    }
}

// Exact where FMA is no instruction: compared with the processor's FMA on random triples
// whose products span the range exp needs and beyond.
TEST(ExactExp, SoftwareFmaRoundsOnce) {
    if (!exp_detail::hardwareFmaAvailable()) GTEST_SKIP() << "no hardware FMA to compare with";
    exp_arguments::Random rnd{42};
    auto randomDouble = [&](int minExponent, int maxExponent) {
        const uint64_t u = rnd.next();
        const uint64_t e = 1023 + minExponent + u % (maxExponent - minExponent + 1);
        return fromBits((rnd.next() & 0x800fffffffffffffull) | (e << 52));
    };
    auto pick = [&](int n) { return static_cast<int>(rnd.next() % n); };
    int64_t wrong = 0;
    for (int i = 0; i < 2000000; ++i) {
        double a = randomDouble(-400, 400), b = randomDouble(-400, 400), c;
        if (i % 4 == 0) {
            c = randomDouble(-800, 800);
        } else if (i % 4 == 1) {  // c within a few ulps of -a * b: cancellation
            c = -a * b * fromBits(bitsOf(1.0) + pick(64) - 32);
        } else if (i % 4 == 2) {  // short significands and a power of two for c: exact halves, ties
            a = fromBits(bitsOf(a) & ~0x3ffffffull);
            b = fromBits(bitsOf(b) & ~0x3ffffffull);
            c = std::ldexp(pick(2) ? 1.0 : -1.0, std::ilogb(a * b) - 53 + pick(4));
        } else {
            // a * b = 2^e (1 - d^2) lies a hair off 2^e, and 2^e is half of c's ulp: rounding
            // the low parts to nearest instead of to odd would round twice here.
            const double d = std::ldexp(pick(255) + 1, -35 - pick(26));
            const int ea = pick(200) - 100, eb = pick(200) - 100;
            a = std::ldexp(1 + d, ea);
            b = std::ldexp(pick(2) ? 1 - d : d - 1, eb);
            const double twoApart = static_cast<double>((1ull << 53) + 2 * pick(1024));
            c = std::ldexp(pick(2) ? twoApart : -twoApart, ea + eb + pick(3) - 1);
        }
        if (bitsOf(exp_detail::softwareFma(a, b, c)) != bitsOf(exp_detail::hardwareFma(a, b, c)) &&
            wrong++ < 5)
            ADD_FAILURE() << std::hexfloat << a << " * " << b << " + " << c;
    }
    EXPECT_EQ(wrong, 0);
}

}  // namespace
}  // namespace selvane
