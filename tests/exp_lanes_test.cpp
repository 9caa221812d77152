#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "engine/exp.h"
#include "engine/fast_gravity_step.h"
#include "engine/step_kernels.h"

namespace selvane {
namespace {

uint64_t bitsOf(double d) {
    uint64_t u;
    std::memcpy(&u, &d, sizeof u);
    return u;
}

// Arguments where the lanes serve and where they must not: the gravity step's range, every
// binade of the served range, the edges 2^-54 and 512, and values beyond them.
std::vector<double> laneArguments() {
    std::vector<double> xs;
    std::mt19937_64 rng(11);
    std::uniform_real_distribution<double> stepRange(-40.0, 0.0), wide(-800.0, 800.0);
    for (int i = 0; i < 3000000; ++i) xs.push_back(stepRange(rng));
    for (int i = 0; i < 1000000; ++i) xs.push_back(wide(rng));
    for (int e = -60; e <= 10; ++e)
        for (int i = 0; i < 4000; ++i) {
            const double x = std::ldexp(1.0 + std::uniform_real_distribution<double>(0, 1)(rng), e);
            xs.push_back(x), xs.push_back(-x);
        }
    for (double edge : {0x1p-54, 512.0, 0.0}) {
        double up = edge, down = edge;
        for (int i = 0; i < 2000; ++i, up = std::nextafter(up, 1e9), down = std::nextafter(down, -1e9))
            for (double v : {up, down, -up, -down}) xs.push_back(v);
    }
    xs.push_back(NAN), xs.push_back(INFINITY), xs.push_back(-INFINITY);
    while (xs.size() % 8) xs.push_back(-1.0);
    return xs;
}

template <int Lanes>
void expectLanesMatchExactExp(unsigned (*lanes)(const double*, double*)) {
    const std::vector<double> xs = laneArguments();
    int64_t mismatches = 0, servedCount = 0;
    for (size_t i = 0; i < xs.size(); i += Lanes) {
        double result[Lanes];
        const unsigned served = lanes(&xs[i], result);
        for (int l = 0; l < Lanes; ++l) {
            const double x = xs[i + l];
            const double magnitude = std::fabs(x);
            // Served exactly where exactExp takes no special branch.
            const bool laneServed = served & (1u << l);
            ASSERT_EQ(laneServed, magnitude >= 0x1p-54 && magnitude < 512.0) << std::hexfloat << x;
            if (!laneServed) continue;
            ++servedCount;
            if (bitsOf(result[l]) != bitsOf(exactExp(x)) && mismatches++ < 5)
                ADD_FAILURE() << "exp(" << std::hexfloat << x << ") = " << result[l] << ", exactExp " << exactExp(x);
        }
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_GT(servedCount, 3000000);
}

TEST(ExpLanes, FourLanesEqualExactExp) {
    if (!stepPathAvailable(StepPath::Avx2)) GTEST_SKIP() << "no AVX2 with FMA";
    expectLanesMatchExactExp<4>(step_kernels::avx2::expLanes);
}

TEST(ExpLanes, EightLanesEqualExactExp) {
    if (!stepPathAvailable(StepPath::Avx512)) GTEST_SKIP() << "no AVX-512";
    expectLanesMatchExactExp<8>(step_kernels::avx512::expLanes);
}

}  // namespace
}  // namespace selvane
