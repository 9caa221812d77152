#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "engine/gravity_step.h"
#include "model/compose.h"

namespace selvane {
namespace {

StarTable tableOf(std::initializer_list<std::array<double, 4>> stars) {
    StarTable t;
    reallocateStars(t, static_cast<int32_t>(stars.size()));
    int i = 0;
    for (const auto& s : stars) {
        t.posX[i] = t.displayX[i] = s[0];
        t.posY[i] = t.displayY[i] = s[1];
        t.posZ[i] = t.displayZ[i] = s[2];
        t.mass[i] = s[3];
        ++i;
    }
    return t;
}

SimulationParameters paramsWith(double starSize, int recordingSpeed = 5) {
    SimulationParameters p;
    p.starSize = starSize;
    p.recordingSpeed = recordingSpeed;
    return p;
}

TEST(GravityStep, TwoStarsAtUnitDistance) {
    StarTable t = tableOf({{{0, 0, 0, 1}}, {{1, 0, 0, 1}}});
    StepCounter counter;
    gravityStep(t, paramsWith(1), counter, {});
    const double expected = 1 - std::exp(-1.0);
    EXPECT_NEAR(t.velX[0], 0.632, 1e-3);
    EXPECT_EQ(t.velX[0], expected);
    EXPECT_EQ(t.velX[1], -expected);
    EXPECT_EQ(t.posX[0], expected);  // velocities before positions
    EXPECT_EQ(t.displayX[1], 1 - expected);
    EXPECT_EQ(t.velY[0], 0.0);
}

TEST(GravityStep, FarPairFeelsPlainInverseSquare) {
    StarTable t = tableOf({{{0, 0, 0, 0}}, {{100, 0, 0, 3}}});
    StepCounter counter;
    gravityStep(t, paramsWith(20), counter, {});
    const double r2 = 100.0 * 100.0;
    EXPECT_EQ(t.velX[0], std::sqrt(r2) * 3 / r2 / r2 * 100);
    EXPECT_EQ(t.velX[1], 0.0);  // massless star pulls nothing
}

TEST(GravityStep, CoincidentStarsSkipEachOtherOnly) {
    StarTable t = tableOf({{{5, 5, 5, 1}}, {{5, 5, 5, 1}}, {{50, 5, 5, 1}}});
    StepCounter counter;
    gravityStep(t, paramsWith(20), counter, {});
    EXPECT_EQ(t.velX[0], t.velX[1]);
    EXPECT_GT(t.velX[0], 0.0);
    EXPECT_FALSE(std::isnan(t.velX[0]));
}

TEST(GravityStep, LoneStarDriftsAndEmptyGalaxyCounts) {
    StarTable t = tableOf({{{1, 2, 3, 1}}});
    t.velX[0] = 0.5;
    t.velZ[0] = -1;
    StepCounter counter;
    int views = 0;
    gravityStep(t, paramsWith(20), counter, {[&] { ++views; }, nullptr});
    gravityStep(t, paramsWith(20), counter, {[&] { ++views; }, nullptr});
    EXPECT_EQ(t.posX[0], 2.0);
    EXPECT_EQ(t.displayZ[0], 1.0);
    EXPECT_EQ(views, 2);

    StarTable empty = tableOf({});
    gravityStep(empty, paramsWith(20), counter, {[&] { ++views; }, nullptr});
    EXPECT_EQ(views, 3);
    EXPECT_EQ(counter.steps, 3);
}

TEST(GravityStep, RecordsEveryRecordingSpeedthStep) {
    StarTable t = tableOf({{{0, 0, 0, 1}}});
    StepCounter counter;
    std::vector<int64_t> recordedAt;
    const StepHooks hooks{nullptr, [&] { recordedAt.push_back(counter.steps); }};
    for (int i = 0; i < 16; ++i) gravityStep(t, paramsWith(20, 5), counter, hooks);
    EXPECT_EQ(recordedAt, (std::vector<int64_t>{5, 10, 15}));
    // The counter is never reset: a new cadence applies to the running count.
    recordedAt.clear();
    for (int i = 0; i < 4; ++i) gravityStep(t, paramsWith(20, 3), counter, hooks);
    EXPECT_EQ(recordedAt, (std::vector<int64_t>{18}));
}

TEST(GravityStep, InvalidParametersChangeNothingButStillCount) {
    StarTable t = tableOf({{{0, 0, 0, 1}}, {{1, 0, 0, 1}}});
    const StarTable before = t;
    StepCounter counter;
    int records = 0;
    const StepHooks hooks{nullptr, [&] { ++records; }};
    for (double size : {0.0, -4.0, std::nan("")}) gravityStep(t, paramsWith(size, 1), counter, hooks);
    EXPECT_EQ(t.posX, before.posX);
    EXPECT_EQ(t.velX, before.velX);
    EXPECT_EQ(records, 3);
    for (int speed : {0, -1}) gravityStep(t, paramsWith(1, speed), counter, hooks);
    EXPECT_EQ(records, 3);
    EXPECT_EQ(counter.steps, 5);
}

TEST(GravityStep, RestingStarMovesInTheStepItFeelsThePull) {
    StarTable t = tableOf({{{0, 0, 0, 0}}, {{30, 0, 0, 100}}});
    StepCounter counter;
    gravityStep(t, paramsWith(20), counter, {});
    EXPECT_GT(t.posX[0], 0.0);
    EXPECT_EQ(t.posX[0], t.velX[0]);
}

TEST(GravityStep, DefaultGalaxyConservesMomentumRoughly) {
    FieldTexts fields;
    Random random;
    StarTable t;
    SimulationParameters p;
    ASSERT_TRUE(composeGalaxy(fields, 7, random, t, p));
    StepCounter counter;
    for (int s = 0; s < 20; ++s) gravityStep(t, p, counter, {});
    // Pair forces are equal and opposite only when weighted by mass.
    double px = 0;
    for (int i = 0; i < t.starCount; ++i) {
        ASSERT_TRUE(std::isfinite(t.posX[i]));
        px += t.velX[i] * t.mass[i];
    }
    double px0 = 0;
    StarTable fresh;
    Random r2;
    composeGalaxy(fields, 7, r2, fresh, p);
    for (int i = 0; i < fresh.starCount; ++i) px0 += fresh.velX[i] * fresh.mass[i];
    EXPECT_NEAR(px, px0, 1e-9);
}

}  // namespace
}  // namespace selvane
