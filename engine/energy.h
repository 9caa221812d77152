#pragma once
#include "engine/fast_gravity_step.h"
#include "model/star_table.h"

namespace selvane {

// Energy, momentum and angular momentum of the integrated positions and velocities.
struct GalaxyMeasures {
    double kinetic = 0;
    double potential = 0;
    double total = 0;
    double momentum[3] = {0, 0, 0};
    double angularMomentum[3] = {0, 0, 0};
};

// The potential energy of one pair r^2 apart, per unit of both masses, under the step's
// softened pull (1 - exp(-r^2/s)) / r^2 with s = sqrt(Size of Star): its integral from r out.
double pairPotential(double r2, double s);

// Measures the galaxy; the pair sum is shared among `threads` of the step's workers (0: every core, or one
// for a small galaxy), with rows in lanes of the best instruction set at or below `path`, and
// gives the same bits for any count and set. A Size of Star that is not positive pulls nothing
// and has no potential.
GalaxyMeasures measureGalaxy(const StarTable& table, const SimulationParameters& params, int threads = 0,
                             StepPath path = StepPath::Avx512);

}  // namespace selvane
