#include "engine/view_camera.h"

#include <algorithm>
#include <cmath>

#include "engine/pixel.h"

namespace selvane {

namespace {

// Rotates the view direction r2 and one other row in their common plane. Both new rows
// come from the rows as they were, so the orientation stays a rotation.
void rotatePair(double (&r2)[3], double (&other)[3], double r2FromOther, double otherFromR2, double c) {
    for (int j = 0; j < 3; ++j) {
        const double oldR2 = r2[j];
        const double oldOther = other[j];
        r2[j] = c * oldR2 + r2FromOther * oldOther;
        other[j] = otherFromR2 * oldR2 + c * oldOther;
    }
}

}  // namespace

void ViewCamera::reset() {
    viewRect = ViewRect{};
    moveStep = 20.0;
    turnAngle = 0.07854;
    turnSin = std::sin(turnAngle);
    turnCos = std::cos(turnAngle);
    home();
}

void ViewCamera::home() {
    viewpoint[0] = 0;
    viewpoint[1] = 0;
    viewpoint[2] = -1000;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) orientation[i][j] = i == j ? 1.0 : 0.0;
}

// r2 := C*r2 -/+ S*r0 and r0 := +/-S*r2 + C*r0 (left/right); the same with r1 for above/below.
void ViewCamera::turnLeft() { rotatePair(orientation[2], orientation[0], -turnSin, turnSin, turnCos); }
void ViewCamera::turnRight() { rotatePair(orientation[2], orientation[0], turnSin, -turnSin, turnCos); }
void ViewCamera::turnAbove() { rotatePair(orientation[2], orientation[1], turnSin, -turnSin, turnCos); }
void ViewCamera::turnBelow() { rotatePair(orientation[2], orientation[1], -turnSin, turnSin, turnCos); }

void ViewCamera::turnOpposite() {
    for (auto& row : orientation) row[2] = -row[2];
}

void ViewCamera::forward() {
    for (int j = 0; j < 3; ++j) viewpoint[j] = viewpoint[j] + moveStep * orientation[2][j];
}

void ViewCamera::back() {
    for (int j = 0; j < 3; ++j) viewpoint[j] = viewpoint[j] - moveStep * orientation[2][j];
}

void ViewCamera::updateCentre() {
    centreX = (int64_t{viewRect.left} + viewRect.right) * 0.5;
    centreY = (int64_t{viewRect.top} + viewRect.bottom) * 0.5;
}

bool ViewCamera::projectPoint(double x, double y, double z, double& sx, double& sy) const {
    const double d[3] = {x - viewpoint[0], y - viewpoint[1], z - viewpoint[2]};
    const auto& r = orientation;
    double u = r[0][0] * d[0] + r[0][1] * d[1] + r[0][2] * d[2];
    double v = r[1][0] * d[0] + r[1][1] * d[1] + r[1][2] * d[2];
    double w = r[2][0] * d[0] + r[2][1] * d[1] + r[2][2] * d[2];
    // Behind or level with the camera; this also keeps a star at the viewpoint from a division.
    if (!(w > 0)) return false;
    double dist = std::sqrt(u * u + v * v + w * w);
    if (std::isinf(dist)) {
        // Squares of a very distant star overflow; its direction is still well defined.
        const double scale = std::max({std::fabs(u), std::fabs(v), std::fabs(w)});
        u = u / scale;
        v = v / scale;
        w = w / scale;
        dist = std::sqrt(u * u + v * v + w * w);
    }
    const double across = u / dist;
    const double up = v / dist;
    // Rounding can make a star all but level with the camera look exactly 90 degrees off,
    // which would put its dot past the view's edge; such a star is not drawn.
    if (!(std::fabs(across) < 1 && std::fabs(up) < 1)) return false;
    sx = (across + 1) * centreX;
    sy = (1 - up) * centreY;
    return true;
}

bool ViewCamera::projectStar(double x, double y, double z, DotBox& dot) const {
    double sx = 0, sy = 0;
    return projectPoint(x, y, z, sx, sy) && toPixel(sx - 1, dot.left) && toPixel(sy - 1, dot.top) &&
           toPixel(sx + 1, dot.right) && toPixel(sy + 1, dot.bottom);
}

}  // namespace selvane
