#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "engine/fast_gravity_step.h"

namespace selvane {
namespace {

// Stars in a cube of `spread`, some on top of each other, some a Size of Star apart.
StarTable randomGalaxy(int32_t n, double spread, double starSize, std::mt19937_64& rng) {
    StarTable t;
    reallocateStars(t, n);
    t.present = true;
    std::uniform_real_distribution<double> coord(-spread, spread), unit(0, 1);
    for (int32_t i = 0; i < n; ++i) {
        const double pick = unit(rng);
        if (i > 0 && pick < 0.1) {  // coincident with an earlier star
            const int32_t o = static_cast<int32_t>(rng() % i);
            t.posX[i] = t.posX[o], t.posY[i] = t.posY[o], t.posZ[i] = t.posZ[o];
        } else if (i > 0 && pick < 0.3) {  // about a Size of Star from an earlier star
            const int32_t o = static_cast<int32_t>(rng() % i);
            const double d = std::sqrt(std::fabs(starSize)) * (0.5 + unit(rng));
            t.posX[i] = t.posX[o] + d, t.posY[i] = t.posY[o], t.posZ[i] = t.posZ[o] - d * unit(rng);
        } else {
            t.posX[i] = coord(rng), t.posY[i] = coord(rng), t.posZ[i] = coord(rng);
        }
        t.mass[i] = pick < 0.95 ? unit(rng) * 3 : 0.0;
        t.velX[i] = (unit(rng) - 0.5) * 0.1;
    }
    t.displayX = t.posX, t.displayY = t.posY, t.displayZ = t.posZ;
    return t;
}

void expectSameBits(const StarTable& a, const StarTable& b, const std::string& where) {
    const std::vector<double> StarTable::*arrays[] = {&StarTable::displayX, &StarTable::displayY, &StarTable::displayZ,
                                                      &StarTable::posX,     &StarTable::posY,     &StarTable::posZ,
                                                      &StarTable::velX,     &StarTable::velY,     &StarTable::velZ,
                                                      &StarTable::mass};
    ASSERT_EQ(a.starCount, b.starCount) << where;
    for (size_t which = 0; which < sizeof arrays / sizeof *arrays; ++which) {
        const auto array = arrays[which];
        const auto& x = a.*array;
        const auto& y = b.*array;
        ASSERT_EQ(x.size(), y.size()) << where;
        for (size_t i = 0; i < x.size(); ++i)
            ASSERT_EQ(0, std::memcmp(&x[i], &y[i], sizeof(double))) << where << " array " << which << " star " << i << ": " << x[i] << " vs " << y[i];
    }
}

// Runs the plain loop and every path and thread count the machine has on one galaxy.
void expectFastMatchesPlain(const StarTable& start, const SimulationParameters& params, const std::string& where,
                            int steps = 3) {
    StarTable plain = start;
    StepCounter plainCounter;
    int plainRecords = 0;
    for (int s = 0; s < steps; ++s) gravityStep(plain, params, plainCounter, {nullptr, [&] { ++plainRecords; }});
    for (StepPath path : {StepPath::Scalar, StepPath::Sse2, StepPath::Avx2, StepPath::Avx512}) {
        if (!stepPathAvailable(path)) continue;
        for (int threads : {1, 2, 3}) {
          for (bool pairOnce : {false, true}) {
            if (pairOnce && path < StepPath::Avx2) continue;  // the same kernel as without
            StarTable fast = start;
            StepCounter counter;
            int records = 0, views = 0;
            for (int s = 0; s < steps; ++s)
                fastGravityStep(fast, params, counter, {[&] { ++views; }, [&] { ++records; }},
                                {threads, path, pairOnce ? PairKernel::EachPairOnce : PairKernel::EachOrderedPair});
            const std::string at = where + " path " + std::to_string(static_cast<int>(path)) + " threads " +
                                   std::to_string(threads) + (pairOnce ? " each pair once" : "");
            expectSameBits(plain, fast, at);
            EXPECT_EQ(counter.steps, plainCounter.steps) << at;
            EXPECT_EQ(records, plainRecords) << at;
            EXPECT_EQ(views, steps) << at;
          }
        }
    }
}

SimulationParameters paramsWith(double starSize) {
    SimulationParameters p;
    p.starSize = starSize;
    p.recordingSpeed = 2;
    return p;
}

TEST(FastGravityStep, SameBitsAsPlainLoopOnRandomGalaxies) {
    std::mt19937_64 rng(7);
    for (int32_t n : {0, 1, 2, 3, 5, 8, 37, 300}) {
        for (double spread : {1.0, 100.0, 2500.0}) {
            for (double starSize : {20.0, 1e-300, 1e300, 0.5}) {
                const StarTable t = randomGalaxy(n, spread, starSize, rng);
                expectFastMatchesPlain(t, paramsWith(starSize),
                                       "n " + std::to_string(n) + " spread " + std::to_string(spread) + " size " +
                                           std::to_string(starSize));
            }
        }
    }
}

TEST(FastGravityStep, SameBitsWithNonFiniteValuesAndNoSoftening) {
    std::mt19937_64 rng(11);
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (int32_t n : {2, 9, 300}) {
        StarTable t = randomGalaxy(n, 50, 20, rng);
        t.posX[n / 2] = inf;
        t.posY[n - 1] = nan;
        expectFastMatchesPlain(t, paramsWith(20), "non-finite n " + std::to_string(n), 2);
        StarTable heavy = randomGalaxy(n, 50, 20, rng);
        heavy.mass[0] = inf;
        expectFastMatchesPlain(heavy, paramsWith(20), "infinite mass n " + std::to_string(n), 2);
        for (double starSize : {0.0, nan, -4.0}) {
            expectFastMatchesPlain(randomGalaxy(n, 50, 20, rng), paramsWith(starSize), "size " + std::to_string(starSize));
        }
    }
    StarTable absent = randomGalaxy(4, 50, 20, rng);
    absent.present = false;
    expectFastMatchesPlain(absent, paramsWith(20), "absent table");
}

// Each pair once divides on the processor wherever a mass, r2 or a quotient leaves the range
// of the multiply-adds: galaxies that reach those edges, star counts that end rows, streams and
// shares anywhere, and masses all in range, where no pair checks its own.
TEST(FastGravityStep, SameBitsAtTheEdgesOfTheMultiplyAddDivision) {
    std::mt19937_64 rng(29);
    const double inf = std::numeric_limits<double>::infinity();
    const double edgeMasses[] = {0.0, -0.0, -1.5, 0x1p-1074, 1e-310, inf, -inf, std::numeric_limits<double>::quiet_NaN(),
                                 1e300, 1e-300, 0x1p-100, 0x1p100, 0x1p-101, 0x1.0000000000001p100, 1.0};
    for (int32_t n : {9, 17, 31, 33, 64, 100, 257}) {
        for (double scale : {1.0, 1e-160, 1e-31, 1e-29, 1e29, 1e31, 1e160}) {
            StarTable t = randomGalaxy(n, 100, 20, rng);
            for (int32_t i = 0; i < n; ++i) {
                t.posX[i] *= scale, t.posY[i] *= scale, t.posZ[i] *= scale;
                t.mass[i] = 0.5 + (i % 7) * 0.4;
            }
            t.displayX = t.posX, t.displayY = t.posY, t.displayZ = t.posZ;
            const std::string at = "n " + std::to_string(n) + " scale " + std::to_string(scale);
            expectFastMatchesPlain(t, paramsWith(20), at + " moderate masses", 2);
            for (int32_t i = 0; i < n; ++i) t.mass[i] = edgeMasses[rng() % (sizeof edgeMasses / sizeof *edgeMasses)];
            expectFastMatchesPlain(t, paramsWith(20), at + " edge masses", 2);
        }
    }
}

// Large enough that each pair once goes by many tiles on several threads, by default too; the
// last tile and row are partial.
TEST(FastGravityStep, DefaultChoiceAndManyTilesMatchPlainLoopOnLargeGalaxy) {
    std::mt19937_64 rng(3);
    const StarTable start = randomGalaxy(4500, 400, 20, rng);
    StarTable plain = start;
    StepCounter a;
    for (int s = 0; s < 2; ++s) gravityStep(plain, paramsWith(20), a, {});
    std::vector<StepChoice> choices{{}};
    for (StepPath path : {StepPath::Avx2, StepPath::Avx512})
        for (int threads : {2, 3})
            if (stepPathAvailable(path)) choices.push_back({threads, path, PairKernel::EachPairOnce});
    for (const StepChoice& choice : choices) {
        StarTable fast = start;
        StepCounter b;
        for (int s = 0; s < 2; ++s) fastGravityStep(fast, paramsWith(20), b, {}, choice);
        expectSameBits(plain, fast, "path " + std::to_string(static_cast<int>(choice.path)) + " threads " +
                                        std::to_string(choice.threads));
    }
}

}  // namespace
}  // namespace selvane

namespace selvane {
namespace {

// The window's step: sums off the caller's thread, the end on it; the same bits and hooks as
// the plain loop, for a galaxy on the workers and one summed at once; abandoning stops soon.
TEST(BackgroundStep, EndsAsThePlainStepAndStopsWhenAbandoned) {
    std::mt19937_64 rng(17);
    SimulationParameters params;
    params.starSize = 4;
    params.recordingSpeed = 2;
    for (int32_t n : {40, 700}) {
        const StarTable start = randomGalaxy(n, 60, params.starSize, rng);
        StarTable plain = start, background = start;
        StepCounter plainCounter, backgroundCounter;
        int plainRecords = 0, backgroundRecords = 0, repaints = 0;
        BackgroundStep step;
        for (int s = 0; s < 3; ++s) {
            gravityStep(plain, params, plainCounter, {nullptr, [&] { ++plainRecords; }});
            step.begin(background, params);
            EXPECT_TRUE(step.inFlight());
            step.begin(background, params);  // one at a time: ignored
            const StarTable before = background;  // which a step in flight leaves as it is
            step.summed(1000);
            expectSameBits(before, background, "in flight");
            step.finish(backgroundCounter, {[&] { ++repaints; }, [&] { ++backgroundRecords; }});
            EXPECT_FALSE(step.inFlight());
        }
        expectSameBits(plain, background, std::to_string(n) + " stars");
        EXPECT_EQ(backgroundCounter.steps, 3);
        EXPECT_EQ(backgroundRecords, plainRecords);
        EXPECT_EQ(repaints, 3);
    }
    StarTable big = randomGalaxy(20000, 3000, params.starSize, rng);
    const StarTable bigStart = big;
    BackgroundStep step;
    step.begin(big, params);
    EXPECT_FALSE(step.summed(0)) << "20000 stars take longer than no time";
    step.abandon();
    EXPECT_FALSE(step.inFlight());
    expectSameBits(bigStart, big, "abandoned");
    StepCounter counter;
    step.finish(counter, {});
    EXPECT_EQ(counter.steps, 0) << "an abandoned step never counts";
}

}  // namespace
}  // namespace selvane
