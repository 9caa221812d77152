#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "engine/energy.h"

namespace selvane {
namespace {

StarTable tableOf(const std::vector<std::array<double, 7>>& stars) {  // x y z vx vy vz m
    StarTable t;
    EXPECT_TRUE(reallocateStars(t, static_cast<int32_t>(stars.size())));
    t.present = true;
    for (size_t i = 0; i < stars.size(); ++i) {
        const auto& s = stars[i];
        t.posX[i] = s[0], t.posY[i] = s[1], t.posZ[i] = s[2];
        t.velX[i] = s[3], t.velY[i] = s[4], t.velZ[i] = s[5], t.mass[i] = s[6];
    }
    return t;
}

// The work of the step's pull (1 - exp(-t^2/s)) / t^2 from r out to infinity, by Simpson's
// rule after t = r/u: (1/r) times the integral over u in (0, 1] of 1 - exp(-r^2/(s u^2)).
long double integratedPotential(long double r, long double s) {
    const int n = 200000;
    const auto f = [&](long double u) { return u == 0 ? 1.0L : 1 - std::exp(-r * r / (s * u * u)); };
    long double sum = f(0) + f(1);
    for (int k = 1; k < n; ++k) sum += (k % 2 ? 4 : 2) * f(static_cast<long double>(k) / n);
    return sum / (3.0L * n) / r;
}

TEST(Energy, TwoStarsMatchTheWorkOfTheStepsPull) {
    const double sizeOfStar = 4, s = 2;
    for (double r : {0.3, 1.0, 1.4142, 4.0, 20.0, 45.0}) {
        StarTable t = tableOf({{1, 0, 0, 0, 1, 0, 2}, {1, r, 0, 1, 0, 0.5, 3}});
        SimulationParameters p;
        p.starSize = sizeOfStar;
        const GalaxyMeasures g = measureGalaxy(t, p);
        const double expected = static_cast<double>(-6 * integratedPotential(r, s));
        EXPECT_NEAR(g.potential, expected, 1e-12 * std::fabs(expected)) << "r = " << r;
        EXPECT_EQ(g.kinetic, 2 * 1.0 / 2 + 3 * 1.25 / 2);
        EXPECT_EQ(g.total, g.kinetic + g.potential);
        EXPECT_EQ(g.momentum[0], 3);
        EXPECT_EQ(g.momentum[1], 2);
        EXPECT_EQ(g.momentum[2], 1.5);
        // 2 (1,0,0) x (0,1,0) + 3 (1,r,0) x (1,0,0.5)
        EXPECT_DOUBLE_EQ(g.angularMomentum[0], 3 * (r * 0.5));
        EXPECT_DOUBLE_EQ(g.angularMomentum[1], 3 * -0.5);
        EXPECT_DOUBLE_EQ(g.angularMomentum[2], 2 + 3 * -r);
    }
    // Coincident stars: the potential's limit, as for stars all but touching.
    SimulationParameters p;
    p.starSize = sizeOfStar;
    const double touching = measureGalaxy(tableOf({{0, 0, 0, 0, 0, 0, 1}, {0, 1e-9, 0, 0, 0, 0, 1}}), p).potential;
    const double coincident = measureGalaxy(tableOf({{0, 0, 0, 0, 0, 0, 1}, {0, 0, 0, 0, 0, 0, 1}}), p).potential;
    EXPECT_NEAR(coincident, touching, 1e-9);
    p.starSize = 0;  // pulls nothing
    EXPECT_EQ(measureGalaxy(tableOf({{0, 0, 0, 0, 0, 0, 1}, {0, 1, 0, 0, 0, 0, 1}}), p).potential, 0);
}

TEST(Energy, FarPairsAreOneOverTheirDistanceToTheBit) {
    // The measure takes 1/r for pairs past r^2 = 50 s without the library's expm1 and erfc;
    // this library's full term must agree there, bit for bit.
    std::mt19937_64 rng(23);
    std::uniform_real_distribution<double> ratio(50, 60), logSize(-20, 20);
    for (int k = 0; k < 200000; ++k) {
        const double s = std::exp(logSize(rng)), r2 = ratio(rng) * s;
        ASSERT_EQ(pairPotential(r2, s), 1 / std::sqrt(r2)) << "r2 " << r2 << " s " << s;
    }
}

TEST(Energy, DenseGalaxyAgreesWithAPlainSumOverEveryOrderedPairOnAnyThreadCount) {
    std::mt19937 rng(17);
    std::uniform_real_distribution<double> place(-15, 15), mass(0.5, 2);
    std::vector<std::array<double, 7>> stars;
    for (int i = 0; i < 400; ++i) stars.push_back({place(rng), place(rng), place(rng) / 5, 0, 0, 0, mass(rng)});
    stars[7] = stars[3];  // one coincident pair
    const StarTable t = tableOf(stars);
    SimulationParameters p;
    p.starSize = 1.5;
    const long double s = std::sqrt(1.5L);
    long double twice = 0;
    for (size_t i = 0; i < stars.size(); ++i)
        for (size_t j = 0; j < stars.size(); ++j) {
            if (i == j) continue;
            const long double dx = stars[j][0] - stars[i][0], dy = stars[j][1] - stars[i][1],
                              dz = stars[j][2] - stars[i][2];
            const long double r = std::sqrt(dx * dx + dy * dy + dz * dz);
            const long double near = std::sqrt(3.14159265358979323846264L / s);
            const long double bracket = r == 0 ? near : (1 - std::exp(-r * r / s)) / r + near * std::erfc(r / std::sqrt(s));
            twice -= stars[i][6] * stars[j][6] * bracket;
        }
    const double one = measureGalaxy(t, p, 1).potential;
    EXPECT_NEAR(one, static_cast<double>(twice / 2), 1e-12 * std::fabs(one));
    for (int threads : {2, 3, 8}) EXPECT_EQ(measureGalaxy(t, p, threads).potential, one) << threads << " threads";
}

// Rows in lanes give the plain rows' bits on every instruction set the machine has: near, far
// and coincident pairs, row counts that end anywhere in a register, and the values a galaxy
// drifts into (huge and tiny places, masses zero, negative, subnormal, infinite or NaN).
TEST(Energy, RowsInLanesGiveThePlainRowsBits) {
    std::mt19937_64 rng(41);
    const double inf = std::numeric_limits<double>::infinity(), nan = std::numeric_limits<double>::quiet_NaN();
    // A NaN or infinite mass makes the whole sum NaN or infinite, hiding the other rows: such
    // masses go only into the smallest galaxies.
    const double oddMasses[] = {0.0, -0.0, -1.5, 0x1p-1074, 1e300, 1e-300, inf, nan};
    std::uniform_real_distribution<double> unit(0, 1);
    const auto sameValue = [](double a, double b) {
        return (std::isnan(a) && std::isnan(b)) || std::memcmp(&a, &b, sizeof a) == 0;
    };
    for (int32_t n : {2, 3, 5, 9, 16, 17, 37, 300}) {
        for (double scale : {1.0, 1e-160, 1e150}) {
            for (bool odd : {false, true}) {
                std::vector<std::array<double, 7>> stars;
                for (int32_t i = 0; i < n; ++i) {
                    std::array<double, 7> star{(unit(rng) - 0.5) * 40 * scale, (unit(rng) - 0.5) * 40 * scale,
                                               (unit(rng) - 0.5) * 8 * scale, 0, 0, 0, 0.5 + unit(rng)};
                    if (i > 0 && unit(rng) < 0.1) star = stars[rng() % stars.size()];  // coincident
                    const size_t kinds = n < 10 ? 8 : 6;
                    if (odd && unit(rng) < 0.2) star[6] = oddMasses[rng() % kinds];
                    stars.push_back(star);
                }
                if (odd) stars[n / 2][0] = n < 10 && n % 2 ? nan : inf;
                const StarTable t = tableOf(stars);
                for (double size : {1.5, 1e-300, 1e300}) {
                    SimulationParameters p;
                    p.starSize = size;
                    const double plain = measureGalaxy(t, p, 1, StepPath::Scalar).potential;
                    for (StepPath path : {StepPath::Avx2, StepPath::Avx512}) {
                        if (!stepPathAvailable(path)) continue;
                        for (int threads : {1, 2}) {
                            const double lanes = measureGalaxy(t, p, threads, path).potential;
                            EXPECT_PRED2(sameValue, plain, lanes)
                                << "n " << n << " scale " << scale << " odd " << odd << " size " << size << " path "
                                << static_cast<int>(path) << " threads " << threads;
                        }
                    }
                }
            }
        }
    }
}

}  // namespace
}  // namespace selvane
