#pragma once
#include <cstdint>

#include "model/random.h"

namespace selvane {

// Star placement for Compose: candidates drawn in the slab until one lies more than
// Size of Star from every star placed before it. Both functions draw the same candidates
// and give the same verdicts, so they place the same stars; x, y, z hold `wanted` doubles
// and receive the placed positions in order. They return how many stars were placed
// (fewer than wanted when one star found no room in `attempts` candidates in a row).

// The reference: every candidate is compared with every star placed before it.
int32_t placeWithPlainTest(int32_t wanted, double scale, double starSize, int attempts, Random& random,
                           double* x, double* y, double* z);

// False where a grid cannot decide as the plain test does: a non-finite Scale (candidates
// that are not finite numbers), a Size of Star that is NaN or whose square is infinite.
bool gridCanPlace(double scale, double starSize);

// Compares a candidate only with the stars in its own and the 26 surrounding cells of a
// grid at least as wide as the distance within which the plain test can reject. Where the
// grid cannot place, the verdicts follow from the kinds of the numbers (NaN, infinite) with
// no pair compared; where it cannot be allocated, the plain test runs.
int32_t placeWithGrid(int32_t wanted, double scale, double starSize, int attempts, Random& random,
                      double* x, double* y, double* z);

}  // namespace selvane
