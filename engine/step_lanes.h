#pragma once
// The fast step's velocity sums over several stars i at once, one lane each: every lane does
// the plain loop's operations in the plain loop's order over j, so its sum has the same bits.
// Included only by the file of each instruction set, with that set's Lanes.
#include <cstdint>

#include "engine/exp.h"
#include "engine/exp_lanes.h"
#include "engine/step_kernels.h"

namespace selvane::step_kernels {
// Internal to each file that includes it: code built for wide registers is never a symbol
// the linker could pick for code that runs everywhere. For the same reason nothing here
// calls the standard library's templates.
namespace {

// exactExp of the lanes in `need`: in lanes where the instruction set can, one at a time
// where it cannot or the lanes do not serve.
template <class V>
typename V::Real expWhereNeeded(typename V::Real x, typename V::Mask need) {
    typename V::Real e = V::set1(0.0);
    unsigned alone = V::bits(need);
    if constexpr (V::kExpInLanes) {
        e = expLanes<V>(x);
        alone &= ~V::bits(expLanesServe<V>(x));
    }
    if (alone) {
        double arguments[V::kLanes], results[V::kLanes];
        V::store(arguments, x);
        V::store(results, e);
        for (int l = 0; l < V::kLanes; ++l)
            if (alone & (1u << l)) results[l] = exactExp(arguments[l]);
        e = V::load(results);
    }
    return V::where(need, e);
}

// One register of stars i: their positions and numbers, and the sums of their pulls so far.
template <class V>
struct StarsI {
    typename V::Real x, y, z, number;
    typename V::Real sx, sy, sz;
};

// Adds the pulls of stars [jBegin, jEnd). Lanes that the plain loop skips (j == i, r2 not > 0)
// add +0 instead of whatever the arithmetic gave them, which keeps their sums' bits: a sum
// starts at +0 and so is never -0. Only where mayBeSelf can j be one of the stars i.
template <class V, bool mayBeSelf>
void pullFrom(const Galaxy& g, int32_t jBegin, int32_t jEnd, StarsI<V>& stars) {
    using Real = typename V::Real;
    using Mask = typename V::Mask;
    const Real one = V::set1(1.0), zero = V::set1(0.0);
    const Real k = V::set1(g.k), bound = V::set1(kExpSkipBound);
    Real sx = stars.sx, sy = stars.sy, sz = stars.sz;
    for (int32_t j = jBegin; j < jEnd; ++j) {
        const Real dx = V::sub(V::set1(g.x[j]), stars.x);
        const Real dy = V::sub(V::set1(g.y[j]), stars.y);
        const Real dz = V::sub(V::set1(g.z[j]), stars.z);
        const Real r2 = V::add(V::add(V::mul(dx, dx), V::mul(dy, dy)), V::mul(dz, dz));
        Mask active = V::greater(r2, zero);
        if constexpr (mayBeSelf) active = V::andNot(V::equal(stars.number, V::set1(j)), active);
        if (V::bits(active) == 0) continue;
        const Real gr = V::div(V::div(V::mul(V::sqrt(r2), V::set1(g.m[j])), r2), r2);
        const Real kr2 = V::mul(k, r2);
        const Mask need = V::andNot(V::less(kr2, bound), active);
        const Real e = V::bits(need) ? expWhereNeeded<V>(kr2, need) : zero;
        const Real f = V::mulFirst(gr, V::sub(one, e));
        sx = V::addWhere(active, sx, V::mul(f, dx));
        sy = V::addWhere(active, sy, V::mul(f, dy));
        sz = V::addWhere(active, sz, V::mul(f, dz));
    }
    stars.sx = sx, stars.sy = sy, stars.sz = sz;
}

// The kernel: whole registers of stars i, then the stars past the last one at a time.
template <class V>
void sumRangeLanes(const Galaxy& g, int32_t begin, int32_t end) {
    int32_t i = begin;
    for (; end - i >= V::kLanes; i += V::kLanes) {
        const typename V::Real zero = V::set1(0.0);
        // Star numbers are exact in a double.
        StarsI<V> stars{V::load(g.x + i), V::load(g.y + i), V::load(g.z + i),
                        V::add(V::set1(i), V::firstLanes()), zero, zero, zero};
        // Only the stars j of this register's own range can be one of its stars i.
        const int32_t own = i + V::kLanes;  // end <= n
        pullFrom<V, false>(g, 0, i, stars);
        pullFrom<V, true>(g, i, own, stars);
        pullFrom<V, false>(g, own, g.n, stars);
        V::store(g.vx + i, V::addFirst(stars.sx, V::load(g.vx + i)));
        V::store(g.vy + i, V::addFirst(stars.sy, V::load(g.vy + i)));
        V::store(g.vz + i, V::addFirst(stars.sz, V::load(g.vz + i)));
    }
    sumRangeScalar(g, i, end);
}

}  // namespace
}  // namespace selvane::step_kernels
