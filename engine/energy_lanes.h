#pragma once
// The potential's row sums over several rows i at once, one lane each: every lane takes the
// stars j > i in order with the plain row's operations, so its sum has the same bits, and the
// lanes' independent sums hide the latency that keeps one row's sum waiting on each addition.
// Included only by the files of each instruction set, with that set's Lanes.
#include <cstdint>

#include "engine/step_kernels.h"

namespace selvane::step_kernels {
namespace {  // one copy in each file built for its instruction set, as in step_lanes.h

template <class V>
void potentialRowsLanes(const PotentialRows& p, int32_t i, int32_t count, double* rows) {
    using Real = typename V::Real;
    using Mask = typename V::Mask;
    constexpr int L = V::kLanes;
    const Mask these = V::less(V::firstLanes(), V::set1(static_cast<double>(count)));
    const Real xi = V::loadWhere(these, p.x + i), yi = V::loadWhere(these, p.y + i), zi = V::loadWhere(these, p.z + i);
    const Real number = V::add(V::set1(i), V::firstLanes());
    const Real one = V::set1(1.0), farR2 = V::set1(p.farR2);
    Real sum = V::set1(0.0);
    for (int32_t j = i + 1; j < p.n; ++j) {
        const Mask active = V::both(these, V::less(number, V::set1(j)));
        const Real dx = V::sub(V::set1(p.x[j]), xi), dy = V::sub(V::set1(p.y[j]), yi), dz = V::sub(V::set1(p.z[j]), zi);
        const Real r2 = V::add(V::add(V::mul(dx, dx), V::mul(dy, dy)), V::mul(dz, dz));
        Real term = V::div(one, V::sqrt(r2));
        // Near pairs, and r2 that is NaN, take the whole term, one at a time: they are few.
        if (const unsigned nearLanes = V::bits(V::andNot(V::greater(r2, farR2), active))) {
            double distances2[L], terms[L];
            V::store(distances2, r2);
            V::store(terms, term);
            for (int l = 0; l < L; ++l)
                if (nearLanes & (1u << l)) terms[l] = p.wholeTerm(distances2[l], p);
            term = V::load(terms);
        }
        sum = V::addWhere(active, sum, V::mul(V::set1(p.m[j]), term));
    }
    double sums[L];
    V::store(sums, sum);
    for (int l = 0; l < count; ++l) rows[l] = -p.m[i + l] * sums[l];
}

}  // namespace
}  // namespace selvane::step_kernels
