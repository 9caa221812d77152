#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "model/compose.h"
#include "model/placement_grid.h"
#include "tests/test_files.h"

namespace selvane {
namespace {

TEST(FieldReading, FollowsScanfRules) {
    EXPECT_EQ(readRealField("12abc"), 12.0);
    EXPECT_EQ(readRealField("1e3"), 1000.0);
    EXPECT_EQ(readRealField("  0.4"), 0.4);
    EXPECT_EQ(readRealField("abc"), 0.0);
    EXPECT_EQ(readRealField(""), 0.0);
    EXPECT_EQ(readIntegerField("12.7"), 12);
    EXPECT_EQ(readIntegerField("abc"), 0);
    EXPECT_EQ(readIntegerField(" -3x"), -3);
    EXPECT_EQ(readIntegerField("99999999999"), INT32_MAX);
    EXPECT_EQ(readIntegerField("-99999999999"), INT32_MIN);
}

TEST(FieldReading, NotANumberIsOneQuietNaNWhateverItsPayload) {
    const double quiet = std::numeric_limits<double>::quiet_NaN();
    for (const char* text : {"nan", "nan(123)", "NAN(abc", "nan(0x5)"}) {
        const double read = readRealField(text);
        EXPECT_EQ(0, std::memcmp(&read, &quiet, sizeof read)) << text;
    }
    const double negative = readRealField("-nan(7)");
    EXPECT_TRUE(std::isnan(negative) && std::signbit(negative));
}

#if defined(__GLIBC__)
TEST(FieldReading, AgreesWithScanfOnPartialNumbers) {
    for (const char* text : {"infinit", "INFIN", " -infi", "inf", "infinity", "Infinityx", "1e", "1e+", "1.5e+x",
                             "nan(", "nan(abc", "nanq", "0x", "-0xg", "-0x.8", "0x1p3", "0x1p", "-", "+.", ".e1", "1e999", "  +7"}) {
        double scanned = 0;
        if (std::sscanf(text, "%lg", &scanned) != 1) scanned = 0;
        const double read = readRealField(text);
        EXPECT_TRUE(std::isnan(scanned) ? std::isnan(read) : std::memcmp(&read, &scanned, sizeof read) == 0)
            << text << ": " << read << ", scanf " << scanned;
    }
}
#endif

TEST(Generator, KnownSequences) {
    Random random;
    random.seedRandom(0);
    EXPECT_EQ(random.nextRandom15(), 346);
    EXPECT_EQ(random.nextRandom15(), 130);
    EXPECT_EQ(random.nextRandom15(), 10982);
    EXPECT_EQ(random.nextRandom15(), 1090);

    random.seedRandom(0);
    const double u = random.uniformRandom();
    EXPECT_NEAR(u, 0.0332744, 1e-7);
    EXPECT_EQ(u, (((346.0 / 32768 + 130) / 32768 + 10982) / 32768 + 1090) / 32768);

    // The discarded draw after seed 1 is 346: the next draw equals seed 0's second.
    Random a, b;
    a.seedRandom(1);
    b.seedRandom(0);
    b.nextRandom15();
    EXPECT_EQ(a.state(), b.state());
    // Only the low 16 bits of the clock seed the generator.
    a.seedRandom(65536 + 7);
    b.seedRandom(7);
    EXPECT_EQ(a.state(), b.state());
}

struct Composed {
    StarTable table;
    SimulationParameters params;
    bool ok = false;
};

Composed compose(const FieldTexts& fields, uint32_t seed = 1234, PlacementTest test = PlacementTest::Grid) {
    Composed c;
    Random random;
    c.ok = composeGalaxy(fields, seed, random, c.table, c.params, nullptr, test);
    return c;
}

// The ten arrays, each exactly as long as the table, with no room kept for more.
void expectHoldsExactly(const StarTable& t) {
    for (const auto* array : {&t.displayX, &t.displayY, &t.displayZ, &t.posX, &t.posY, &t.posZ, &t.velX,
                              &t.velY, &t.velZ, &t.mass}) {
        EXPECT_EQ(array->size(), static_cast<size_t>(t.starCount));
        EXPECT_EQ(array->capacity(), static_cast<size_t>(t.starCount));
    }
}

TEST(Compose, DefaultGalaxyHasItsShape) {
    const Composed c = compose(FieldTexts{});
    ASSERT_TRUE(c.ok);
    const StarTable& t = c.table;
    ASSERT_EQ(t.starCount, 128);
    EXPECT_EQ(c.params.recordingSpeed, 5);
    EXPECT_EQ(c.params.lightSpeed, 30);
    EXPECT_EQ(c.params.starSize, 20);
    double mx = 0, my = 0, mz = 0, mvx = 0, mvy = 0;
    for (int i = 0; i < t.starCount; ++i) {
        for (int j = i + 1; j < t.starCount; ++j) {
            const double dx = t.posX[i] - t.posX[j], dy = t.posY[i] - t.posY[j], dz = t.posZ[i] - t.posZ[j];
            EXPECT_GT(dx * dx + dy * dy + dz * dz, 400.0);
        }
        EXPECT_EQ(t.displayX[i], t.posX[i]);
        EXPECT_EQ(t.displayZ[i], t.posZ[i]);
        EXPECT_EQ(t.velZ[i], 0.0);
        EXPECT_GE(t.mass[i], 0.0);
        EXPECT_LE(t.mass[i], 1.0);
        mx += t.posX[i]; my += t.posY[i]; mz += t.posZ[i];
        mvx += t.velX[i]; mvy += t.velY[i];
    }
    EXPECT_NEAR(mx / 128, 0, 1e-12);
    EXPECT_NEAR(my / 128, 0, 1e-12);
    EXPECT_NEAR(mz / 128, 0, 1e-12);
    EXPECT_NEAR(mvx / 128, 0, 1e-15);
    EXPECT_NEAR(mvy / 128, 0, 1e-15);
    // Centring moves the slab by at most its own half-width, so every star stays in the doubled box.
    for (int i = 0; i < t.starCount; ++i) {
        EXPECT_LE(std::fabs(t.posX[i]), 250.0);
        EXPECT_LE(std::fabs(t.posZ[i]), 50.0);
    }
}

TEST(Compose, SameSeedSameGalaxyOtherSeedOther) {
    const Composed a = compose(FieldTexts{}, 42), b = compose(FieldTexts{}, 42 + 65536), c = compose(FieldTexts{}, 43);
    EXPECT_EQ(a.table.posX, b.table.posX);
    EXPECT_EQ(a.table.velY, b.table.velY);
    EXPECT_EQ(a.table.mass, b.table.mass);
    EXPECT_NE(a.table.posX, c.table.posX);
}

TEST(Compose, FirstStarFollowsTheDrawOrder) {
    // One star: its candidate is the first three uniforms, then it is centred to the origin.
    FieldTexts fields;
    fields.numberOfStar = "2";
    const Composed c = compose(fields, 0);
    Random r;
    r.seedRandom(0);
    const double x0 = (r.uniformRandom() - 0.5) * 250;
    r.uniformRandom();  // y
    r.uniformRandom();  // z
    const double x1 = (r.uniformRandom() - 0.5) * 250;
    ASSERT_EQ(c.table.starCount, 2);
    EXPECT_EQ(c.table.posX[0], x0 - (x0 + x1) / 2);
    EXPECT_EQ(c.table.posX[0], -c.table.posX[1]);
}

TEST(Compose, SpeedDistributionZeroGivesMaxSpeedBeforeCentring) {
    FieldTexts fields;
    fields.speedDistribution = "0";
    const Composed c = compose(fields);
    // With equal speeds the centring shift is the same for every star; undo it and check |v|.
    double mvx = 0, mvy = 0;
    const StarTable& t = c.table;
    std::vector<double> raw(t.starCount);
    for (int i = 0; i < t.starCount; ++i) {
        const double r = std::hypot(t.posX[i], t.posY[i]);
        mvx += -0.4 * t.posY[i] / r;
        mvy += 0.4 * t.posX[i] / r;
    }
    mvx /= t.starCount;
    mvy /= t.starCount;
    for (int i = 0; i < t.starCount; ++i)
        EXPECT_NEAR(std::hypot(t.velX[i] + mvx, t.velY[i] + mvy), 0.4, 1e-12);
}

TEST(Compose, CountsFromTheField) {
    FieldTexts fields;
    fields.numberOfStar = "12.7";
    EXPECT_EQ(compose(fields).table.starCount, 12);
    for (const char* text : {"0", "abc", "-5"}) {
        fields.numberOfStar = text;
        const Composed c = compose(fields);
        EXPECT_TRUE(c.table.present) << text;
        EXPECT_EQ(c.table.starCount, 0) << text;
        EXPECT_TRUE(c.table.mass.empty()) << text;
    }
}

TEST(Compose, SingleStarRestsAtTheOrigin) {
    FieldTexts fields;
    fields.numberOfStar = "1";
    const Composed c = compose(fields);
    ASSERT_EQ(c.table.starCount, 1);
    EXPECT_EQ(c.table.posX[0], 0.0);
    EXPECT_EQ(c.table.velX[0], 0.0);
    EXPECT_EQ(c.table.velY[0], 0.0);
    EXPECT_FALSE(std::isnan(c.table.velX[0]));
}

TEST(Compose, ImpossiblePlacementStopsWithTheStarsPlaced) {
    FieldTexts fields;
    fields.scale = "0";
    const Composed c = compose(fields);
    EXPECT_EQ(c.table.starCount, 1);
    EXPECT_EQ(c.table.velX.size(), 1u);
    EXPECT_EQ(c.table.mass.size(), 1u);

    fields.scale = "100";
    fields.sizeOfStar = "60";  // only a few stars fit at this distance
    const Composed d = compose(fields);
    EXPECT_GT(d.table.starCount, 0);
    EXPECT_LT(d.table.starCount, 128);
    EXPECT_EQ(static_cast<int>(d.table.posY.size()), d.table.starCount);
    expectHoldsExactly(d.table);

    // The largest galaxy asked for in the default slab: a few hundred fit, and only they are kept.
    fields = FieldTexts{};
    fields.numberOfStar = std::to_string(kMaxStars);
    const Composed e = compose(fields);
    ASSERT_TRUE(e.ok);
    EXPECT_GT(e.table.starCount, 100);
    EXPECT_LT(e.table.starCount, 1000);
    expectHoldsExactly(e.table);
}

TEST(Compose, MoreStarsThanTheMaximumAreRefusedWithNothingChanged) {
    Composed c = compose(FieldTexts{});
    ASSERT_TRUE(c.ok);
    const Composed before = c;
    Random random;
    random.seedRandom(77);
    const uint32_t state = random.state();
    FieldTexts fields;
    fields.scale = "999";
    for (const std::string& count : {std::to_string(kMaxStars + 1), std::string("2000000000")}) {
        fields.numberOfStar = count;
        std::string refusal;
        EXPECT_FALSE(composeGalaxy(fields, 5, random, c.table, c.params, &refusal)) << count;
        EXPECT_NE(refusal.find(std::to_string(kMaxStars)), std::string::npos) << refusal;
        EXPECT_NE(refusal.find(count), std::string::npos) << refusal;
        EXPECT_EQ(random.state(), state);
        EXPECT_EQ(c.params.galaxyScale, 250);
        EXPECT_EQ(c.table.starCount, 128);
        EXPECT_TRUE(sameBits(c.table.posX, before.table.posX));
        EXPECT_TRUE(sameBits(c.table.mass, before.table.mass));
    }
    // The same bound holds wherever a table is made.
    EXPECT_FALSE(reallocateStars(c.table, kMaxStars + 1));
    EXPECT_EQ(c.table.starCount, 128);
    EXPECT_TRUE(reallocateStars(c.table, kMaxStars));
    EXPECT_EQ(c.table.mass.size(), static_cast<size_t>(kMaxStars));
}

// The largest galaxy a person is likely to compose: every star finds room in a wide slab,
// at its distance from the others, and the table holds exactly them.
TEST(Compose, HundredThousandStarsAllPlaced) {
    constexpr int32_t kStars = 100000;
    FieldTexts fields;
    fields.numberOfStar = std::to_string(kStars);
    fields.scale = "20000";
    const Composed c = compose(fields);
    ASSERT_TRUE(c.ok);
    const StarTable& t = c.table;
    ASSERT_EQ(t.starCount, kStars);
    EXPECT_TRUE(t.present);
    expectHoldsExactly(t);
    EXPECT_EQ(c.params.galaxyScale, 20000);
    EXPECT_EQ(c.params.recordingSpeed, 5);
    EXPECT_EQ(c.params.lightSpeed, 30);
    EXPECT_EQ(c.params.starSize, 20);
    EXPECT_EQ(c.params.maxSpeed, 0.4);
    EXPECT_EQ(c.params.speedDistribution, 0.5);

    int outside = 0;
    for (int32_t k = 0; k < kStars; ++k) {
        const bool inBox = std::fabs(t.posX[k]) <= 20000 && std::fabs(t.posY[k]) <= 20000 &&
                           std::fabs(t.posZ[k]) <= 4000 && std::isfinite(t.velX[k]) && std::isfinite(t.velY[k]) &&
                           t.mass[k] >= 0 && t.mass[k] <= 1;
        outside += !inBox;
    }
    EXPECT_EQ(outside, 0);
    // Spacing, by a sweep along x: only stars less than Size of Star apart in x can be too close.
    std::vector<int32_t> byX(kStars);
    for (int32_t k = 0; k < kStars; ++k) byX[k] = k;
    std::sort(byX.begin(), byX.end(), [&](int32_t a, int32_t b) { return t.posX[a] < t.posX[b]; });
    int tooClose = 0;
    for (int32_t a = 0; a < kStars; ++a) {
        const int32_t i = byX[a];
        for (int32_t b = a + 1; b < kStars && t.posX[byX[b]] - t.posX[i] <= 20; ++b) {
            const int32_t j = byX[b];
            const double dx = t.posX[i] - t.posX[j], dy = t.posY[i] - t.posY[j], dz = t.posZ[i] - t.posZ[j];
            tooClose += dx * dx + dy * dy + dz * dz <= 400.0;
        }
    }
    EXPECT_EQ(tooClose, 0);
}

TEST(PlacementGrid, ServesFiniteSlabsAndLeavesTheRestToThePlainTest) {
    EXPECT_TRUE(gridCanPlace(250, 20));
    EXPECT_TRUE(gridCanPlace(0, 0));
    EXPECT_TRUE(gridCanPlace(-1e300, 1e-300));
    EXPECT_TRUE(gridCanPlace(1e300, 1e150));
    const double inf = std::numeric_limits<double>::infinity(), nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_FALSE(gridCanPlace(nan, 20));
    EXPECT_FALSE(gridCanPlace(-inf, 20));
    EXPECT_FALSE(gridCanPlace(250, nan));
    EXPECT_FALSE(gridCanPlace(250, 1e200));  // its square is infinite
    EXPECT_FALSE(gridCanPlace(250, -inf));
}

TEST(PlacementGrid, GivesThePlainTestsGalaxyBitForBit) {
    struct Slab {
        const char* scale;
        const char* size;
        const char* stars;
    };
    const Slab slabs[] = {
        {"250", "20", "128"},      {"250", "20", "600"},   // the default, and more than fit
        {"100", "15", "400"},      {"1000", "60", "1500"}, // crowded: many verdicts near the distance
        {"2000", "20", "3000"},    {"-250", "-20", "128"}, // spread out; negative Scale and Size
        {"250", "0", "300"},       {"0", "0", "3"},        {"0", "20", "2"},  {"1e-300", "0", "40"},
        {"1e-300", "1e-160", "40"}, {"1e-20", "1e-22", "300"}, {"1e300", "20", "200"},
        {"1e300", "1e150", "200"}, {"4.9e-324", "1", "5"}, {"250", "1e200", "20"},
        {"nan", "20", "50"},       {"inf", "20", "50"},    {"250", "nan", "200"}, {"250", "inf", "5"},
        // Not finite: the verdicts come from the kinds of the numbers, pair by pair alike.
        {"inf", "inf", "60"},      {"-inf", "1e200", "60"}, {"inf", "nan", "60"}, {"nan", "inf", "60"},
        {"nan", "nan", "60"},      {"-inf", "-20", "60"},  {"250", "-inf", "5"},
        {"250", "20", "0"},        {"250", "20", "1"},
    };
    for (const Slab& slab : slabs) {
        for (uint32_t seed : {0u, 1u, 4242u, 65535u}) {
            SCOPED_TRACE(std::string(slab.scale) + " " + slab.size + " " + slab.stars + " seed " + std::to_string(seed));
            FieldTexts fields;
            fields.scale = slab.scale;
            fields.sizeOfStar = slab.size;
            fields.numberOfStar = slab.stars;
            Composed grid, plain;
            Random gridRandom, plainRandom;
            ASSERT_TRUE(composeGalaxy(fields, seed, gridRandom, grid.table, grid.params, nullptr, PlacementTest::Grid));
            ASSERT_TRUE(composeGalaxy(fields, seed, plainRandom, plain.table, plain.params, nullptr, PlacementTest::Plain));
            EXPECT_EQ(gridRandom.state(), plainRandom.state());
            ASSERT_EQ(grid.table.starCount, plain.table.starCount);
            EXPECT_TRUE(sameBits(grid.table.displayX, plain.table.displayX));
            EXPECT_TRUE(sameBits(grid.table.posY, plain.table.posY));
            EXPECT_TRUE(sameBits(grid.table.posZ, plain.table.posZ));
            EXPECT_TRUE(sameBits(grid.table.velX, plain.table.velX));
            EXPECT_TRUE(sameBits(grid.table.velY, plain.table.velY));
            EXPECT_TRUE(sameBits(grid.table.mass, plain.table.mass));
            expectHoldsExactly(grid.table);
        }
    }
}

// The largest galaxy with fields that are not finite: every star at its first candidate, as
// the plain test places the first of them, without comparing any pair.
TEST(PlacementGrid, PlacesTheMaximumAtOnceWhereNoPairCanBeTooClose) {
    const double inf = std::numeric_limits<double>::infinity(), nan = std::numeric_limits<double>::quiet_NaN();
    constexpr int32_t kCompared = 2000;
    const double fields[][2] = {{250, nan}, {inf, 20}, {nan, 20}, {-inf, nan}};
    for (const auto& field : fields) {
        SCOPED_TRACE(std::to_string(field[0]) + " " + std::to_string(field[1]));
        std::vector<double> x(kMaxStars), y(kMaxStars), z(kMaxStars);
        std::vector<double> px(kCompared), py(kCompared), pz(kCompared);
        Random grid, plain;
        grid.seedRandom(77);
        plain.seedRandom(77);
        EXPECT_EQ(placeWithGrid(kMaxStars, field[0], field[1], kMaxPlacementAttempts, grid, x.data(), y.data(), z.data()),
                  kMaxStars);
        ASSERT_EQ(placeWithPlainTest(kCompared, field[0], field[1], kMaxPlacementAttempts, plain, px.data(), py.data(),
                                     pz.data()),
                  kCompared);
        x.resize(kCompared);
        z.resize(kCompared);
        EXPECT_TRUE(sameBits(x, px));
        EXPECT_TRUE(sameBits(z, pz));
    }
}

TEST(Compose, SizeOfStarZeroStillPlacesAll) {
    FieldTexts fields;
    fields.sizeOfStar = "0";
    EXPECT_EQ(compose(fields).table.starCount, 128);
}

}  // namespace
}  // namespace selvane
