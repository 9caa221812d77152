#pragma once
#include <cstdint>

namespace selvane {

// The view's area in the window's client coordinates.
struct ViewRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 470;
    int32_t bottom = 376;
};

// Where one star's dot goes: the 2 x 2 box passed to the ellipse call.
struct DotBox {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

// A viewing screen's camera. Rows of the orientation: screen right, screen up, view direction.
struct ViewCamera {
    ViewRect viewRect;
    double centreX = 235.0;
    double centreY = 188.0;
    double orientation[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    double viewpoint[3] = {0, 0, -1000};
    double moveStep = 20.0;
    // The decimal 0.07854, not pi/40: twenty turns come to 90 degrees within 0.0001 rad.
    double turnAngle = 0.07854;
    double turnSin = 0;
    double turnCos = 0;

    // Rectangle, step, angle and its sine and cosine, then home.
    void reset();
    void home();
    void turnLeft();
    void turnRight();
    void turnAbove();
    void turnBelow();
    // Mirrors the world's z axis as seen from the viewpoint; twice gives back every bit.
    void turnOpposite();
    void forward();
    void back();

    // Centre of the view rectangle; recomputed before every paint.
    void updateCentre();
    // The dot of a star at (x, y, z), or false when it is not drawn: behind or level
    // with the camera, or at a place that has no pixel (not a finite number).
    bool projectStar(double x, double y, double z, DotBox& dot) const;
    // Where the view shows a star at (x, y, z), in the view's client coordinates to a fraction
    // of a pixel; false when it is not drawn, as for projectStar.
    bool projectPoint(double x, double y, double z, double& sx, double& sy) const;
};

}  // namespace selvane
