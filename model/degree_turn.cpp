#include "model/degree_turn.h"

#include <cmath>
#include <limits>
#include <utility>

namespace selvane {

namespace {

constexpr double kRadiansPerDegree = 3.14159265358979323846 / 180;

// Taylor series to x^21 for |x| <= pi/4, where its first dropped term is below 2^-70.
double sineSeries(double x) {
    const double x2 = x * x;
    double sum = 0;
    for (int k = 21; k >= 3; k -= 2) sum = (sum + 1) * x2 / ((k - 1) * k) * -1;
    return x + x * sum;
}

double cosineSeries(double x) {
    const double x2 = x * x;
    double sum = 0;
    for (int k = 22; k >= 2; k -= 2) sum = (sum + 1) * x2 / ((k - 1) * k) * -1;
    return 1 + sum;
}

}  // namespace

SineCosine sineCosineOfDegrees(double degrees) {
    if (!std::isfinite(degrees)) {
        const double nan = std::numeric_limits<double>::quiet_NaN();
        return {nan, nan};
    }
    // fmod is exact, and so is taking off 90 at a time (90 is a multiple of the angle's last
    // place) and 90 - d for d in [45, 90]; only a tiny negative angle rounds when made positive.
    double d = std::fmod(degrees, 360.0);
    if (d < 0) d += 360;
    int quadrant = 0;
    while (d >= 90) {
        d -= 90;
        ++quadrant;
    }
    quadrant &= 3;
    // Within a quadrant the nearer end gives the smaller argument: sin(d) = cos(90 - d).
    const bool folded = d > 45;
    const double x = (folded ? 90 - d : d) * kRadiansPerDegree;
    double s = sineSeries(x), c = cosineSeries(x);
    if (folded) std::swap(s, c);
    switch (quadrant) {
        case 1: return {c, -s};
        case 2: return {-s, -c};
        case 3: return {-c, s};
        default: return {s, c};
    }
}

}  // namespace selvane
