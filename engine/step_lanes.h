#pragma once
// The fast step's velocity sums over several stars i at once, one lane each: every lane does
// the plain loop's operations in the plain loop's order over j, so its sum has the same bits.
// Built once per instruction set, in a file built for it.
#include <algorithm>
#include <cstdint>
#include <type_traits>

#include "engine/exp.h"
#include "engine/exp_lanes.h"
#include "engine/step_kernels.h"

namespace selvane::step_kernels {

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

// Lanes that the plain loop skips (j == i, r2 not > 0) add +0 instead of whatever the
// arithmetic gave them, which keeps their sums' bits: a sum starts at +0 and so is never -0.
// Stars past the last whole register go one at a time.
template <class V>
void sumRangeLanes(const Galaxy& g, int32_t begin, int32_t end) {
    using Real = typename V::Real;
    using Mask = typename V::Mask;
    const Real one = V::set1(1.0), zero = V::set1(0.0);
    const Real k = V::set1(g.k), bound = V::set1(kExpSkipBound);
    int32_t i = begin;
    for (; end - i >= V::kLanes; i += V::kLanes) {
        const Real xi = V::load(g.x + i), yi = V::load(g.y + i), zi = V::load(g.z + i);
        const Real lane = V::add(V::set1(i), V::firstLanes());  // star numbers are exact in a double
        Real sx = zero, sy = zero, sz = zero;
        // Only the stars j of this register's own range can be one of its stars i.
        const auto pull = [&](int32_t j, auto mayBeSelf) {
            const Real dx = V::sub(V::set1(g.x[j]), xi);
            const Real dy = V::sub(V::set1(g.y[j]), yi);
            const Real dz = V::sub(V::set1(g.z[j]), zi);
            const Real r2 = V::add(V::add(V::mul(dx, dx), V::mul(dy, dy)), V::mul(dz, dz));
            Mask active = V::greater(r2, zero);
            if constexpr (decltype(mayBeSelf)::value) active = V::andNot(V::equal(lane, V::set1(j)), active);
            if (V::bits(active) == 0) return;
            const Real gr = V::div(V::div(V::mul(V::sqrt(r2), V::set1(g.m[j])), r2), r2);
            const Real kr2 = V::mul(k, r2);
            const Mask need = V::andNot(V::less(kr2, bound), active);
            const Real e = V::bits(need) ? expWhereNeeded<V>(kr2, need) : zero;
            const Real f = V::mul(V::sub(one, e), gr);
            sx = V::addWhere(active, sx, V::mul(f, dx));
            sy = V::addWhere(active, sy, V::mul(f, dy));
            sz = V::addWhere(active, sz, V::mul(f, dz));
        };
        const int32_t own = std::min(i + V::kLanes, g.n);
        for (int32_t j = 0; j < i; ++j) pull(j, std::false_type{});
        for (int32_t j = i; j < own; ++j) pull(j, std::true_type{});
        for (int32_t j = own; j < g.n; ++j) pull(j, std::false_type{});
        V::store(g.vx + i, V::add(V::load(g.vx + i), sx));
        V::store(g.vy + i, V::add(V::load(g.vy + i), sy));
        V::store(g.vz + i, V::add(V::load(g.vz + i), sz));
    }
    sumRangeScalar(g, i, end);
}

}  // namespace selvane::step_kernels
