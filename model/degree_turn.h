#pragma once
// Sine and cosine of an angle in degrees from this program's own series, so a turned galaxy
// is the same bytes on every build whatever the system's library rounds differently.
namespace selvane {

struct SineCosine {
    double sine = 0;
    double cosine = 1;
};

// Exact for multiples of 90 degrees; within an ulp or two elsewhere. NaN for a non-finite angle.
SineCosine sineCosineOfDegrees(double degrees);

}  // namespace selvane
