#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <random>

#include "engine/pixel.h"
#include "engine/view_camera.h"

namespace selvane {
namespace {

using Turn = void (ViewCamera::*)();
const Turn kTurns[] = {&ViewCamera::turnLeft, &ViewCamera::turnRight, &ViewCamera::turnAbove,
                       &ViewCamera::turnBelow, &ViewCamera::turnOpposite};

ViewCamera homeCamera() {
    ViewCamera c;
    c.reset();
    c.updateCentre();
    return c;
}

// A camera turned in a seeded mix of directions, away from the axes.
ViewCamera turnedCamera(int turns, unsigned seed) {
    ViewCamera c = homeCamera();
    std::mt19937 rng(seed);
    for (int i = 0; i < turns; ++i) (c.*kTurns[rng() % 5])();
    return c;
}

double dot(const double (&a)[3], const double (&b)[3]) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

using Box = std::array<int32_t, 4>;

// The dot's box, or nothing when the star is not drawn.
std::optional<Box> project(const ViewCamera& c, double x, double y, double z) {
    DotBox d;
    if (!c.projectStar(x, y, z, d)) return std::nullopt;
    return Box{d.left, d.top, d.right, d.bottom};
}

bool insideView(const Box& b) { return b[0] >= 0 && b[2] <= 470 && b[1] >= 0 && b[3] <= 376; }

TEST(ViewCamera, ResetGoesHomeAndProjectsThroughTheCentre) {
    ViewCamera c;
    c.viewRect = {10, 10, 20, 20};
    c.viewpoint[0] = 5;
    c.turnOpposite();
    c.reset();
    c.updateCentre();
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) EXPECT_EQ(c.orientation[i][j], i == j ? 1.0 : 0.0);
    EXPECT_TRUE(c.viewpoint[0] == 0 && c.viewpoint[1] == 0 && c.viewpoint[2] == -1000);
    EXPECT_EQ(project(c, 0, 0, 0), Box({234, 187, 236, 189}));
    EXPECT_EQ(project(c, 1000, 0, 0), Box({400, 187, 402, 189}));
    EXPECT_EQ(project(c, 0, 1000, 0), Box({234, 54, 236, 56}));  // up is towards the top
    EXPECT_EQ(project(c, 0, 0, -1000), std::nullopt);             // at the viewpoint
    EXPECT_EQ(project(c, 300, -40, -1000), std::nullopt);
    EXPECT_EQ(project(c, 0, 0, -1e6), std::nullopt);
}

TEST(ViewCamera, TurnsFollowTheirFormulas) {
    const double S = std::sin(0.07854), C = std::cos(0.07854);
    ViewCamera c = homeCamera();
    c.turnLeft();
    EXPECT_TRUE(c.orientation[2][0] == -S && c.orientation[2][2] == C && c.orientation[0][0] == C && c.orientation[0][2] == S);
    // From a general orientation: new r2 = C*r2 + s*S*other, new other = -s*S*r2 + C*other.
    const struct { Turn turn; int other; int fixed; double s; } cases[] = {
        {&ViewCamera::turnLeft, 0, 1, -1}, {&ViewCamera::turnRight, 0, 1, 1},
        {&ViewCamera::turnAbove, 1, 0, 1}, {&ViewCamera::turnBelow, 1, 0, -1}};
    for (const auto& t : cases) {
        ViewCamera before = turnedCamera(7, 3), after = before;
        (after.*t.turn)();
        const auto &o = before.orientation, &n = after.orientation;
        for (int j = 0; j < 3; ++j) {
            EXPECT_NEAR(n[2][j], C * o[2][j] + t.s * S * o[t.other][j], 1e-15);
            EXPECT_NEAR(n[t.other][j], -t.s * S * o[2][j] + C * o[t.other][j], 1e-15);
            EXPECT_EQ(n[t.fixed][j], o[t.fixed][j]);
        }
        // Twenty turns come to a right angle; the row outside the turn's plane never moves.
        ViewCamera c20 = homeCamera();
        for (int i = 0; i < 20; ++i) (c20.*t.turn)();
        EXPECT_NEAR(std::acos(dot(c20.orientation[2], homeCamera().orientation[2])), std::acos(0.0), 1e-4);
        EXPECT_EQ(std::memcmp(c20.orientation[t.fixed], homeCamera().orientation[t.fixed], sizeof(double[3])), 0);
    }
}

TEST(ViewCamera, TurnsUndoAndKeepTheRowsOrthonormal) {
    ViewCamera c = turnedCamera(11, 5);
    ViewCamera start = c;
    c.turnOpposite();
    for (int i = 0; i < 3; ++i) EXPECT_EQ(c.orientation[i][2], -start.orientation[i][2]);
    c.turnOpposite();
    EXPECT_EQ(std::memcmp(c.orientation, start.orientation, sizeof c.orientation), 0);
    const Turn pairs[][2] = {{&ViewCamera::turnLeft, &ViewCamera::turnRight},
                             {&ViewCamera::turnAbove, &ViewCamera::turnBelow}};
    for (const auto& p : pairs) {
        (c.*p[0])();
        (c.*p[1])();
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) EXPECT_NEAR(c.orientation[i][j], start.orientation[i][j], 1e-15);
    }
    const ViewCamera many = turnedCamera(20000, 9);
    const auto& r = many.orientation;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) EXPECT_NEAR(dot(r[i], r[j]), i == j ? 1.0 : 0.0, 1e-9) << i << j;
}

TEST(ViewCamera, ForwardAndBackMoveAlongTheViewDirection) {
    ViewCamera c = homeCamera();
    c.forward();
    EXPECT_TRUE(c.viewpoint[0] == 0 && c.viewpoint[1] == 0 && c.viewpoint[2] == -980);
    c.back();
    EXPECT_EQ(c.viewpoint[2], -1000.0);
    c = turnedCamera(9, 1);
    c.forward();
    for (int j = 0; j < 3; ++j) EXPECT_NEAR(c.viewpoint[j], (j == 2 ? -1000 : 0) + 20 * c.orientation[2][j], 1e-12);
}

TEST(ViewCamera, ProjectionStaysInsideTheViewForAnyFiniteStar) {
    // Almost 90 degrees off the view direction the quotients round to +-1.
    for (double e : {1e20, -1e20})
        for (const auto& b : {project(homeCamera(), e, 0, 0), project(homeCamera(), 0, e, 0)})
            EXPECT_TRUE(!b || insideView(*b)) << e << ": " << testing::PrintToString(b);
    std::mt19937_64 rng(17);
    std::uniform_real_distribution<double> mantissa(-1, 1);
    std::uniform_int_distribution<int> exponent(-20, 1020);
    for (int i = 0; i < 20000; ++i) {
        ViewCamera c = turnedCamera(i % 40, static_cast<unsigned>(i));
        c.viewpoint[0] = std::ldexp(mantissa(rng), exponent(rng) / 2);
        double p[3];
        for (double& v : p) v = std::ldexp(mantissa(rng), exponent(rng));
        const auto b = project(c, p[0], p[1], p[2]);
        ASSERT_TRUE(!b || insideView(*b)) << p[0] << ' ' << p[1] << ' ' << p[2];
    }
}

TEST(ViewCamera, StarsWithoutAPlaceAreSkippedAndDistantOnesKeepTheirDirection) {
    const double bad[] = {std::nan(""), std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()};
    for (const ViewCamera& c : {homeCamera(), turnedCamera(13, 2)})
        for (double b : bad)
            for (int slot = 0; slot < 3; ++slot) {
                double p[3] = {10, -20, 30};
                p[slot] = b;
                EXPECT_EQ(project(c, p[0], p[1], p[2]), std::nullopt) << b << " at " << slot;
            }
    const auto nearDot = project(homeCamera(), -500, 500, -500);  // offset (-1, 1, 1) * 500
    ASSERT_TRUE(nearDot);
    EXPECT_EQ(project(homeCamera(), -1e200, 1e200, 1e200), nearDot);
    const ViewCamera c = turnedCamera(13, 2);
    const double* r2 = c.orientation[2];
    for (double far : {1e200, 1e308}) EXPECT_EQ(project(c, far * r2[0], far * r2[1], far * r2[2]), Box({234, 187, 236, 189}));
}

TEST(Pixel, TruncatesTowardZeroAndRefusesWhatHasNoPixel) {
    int32_t px = 0;
    EXPECT_TRUE(toPixel(-2.7, px) && px == -2);
    EXPECT_TRUE(toPixel(2.7, px) && px == 2);
    EXPECT_TRUE(toPixel(-kPixelLimit, px) && px == -static_cast<int32_t>(kPixelLimit));
    const double inf = std::numeric_limits<double>::infinity();
    for (double v : {std::nan(""), inf, -inf, std::nextafter(kPixelLimit, inf), -1e300, 3e9}) EXPECT_FALSE(toPixel(v, px)) << v;
}

}  // namespace
}  // namespace selvane
