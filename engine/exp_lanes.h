#pragma once
// exactExp on every lane of a register: the same operations on the same constants, so each
// lane gets exactExp's bits. Only for 2^-54 <= |x| < 512 (expLanesServe says which lanes
// are); elsewhere exactExp takes branches these do not.
#include "engine/exp_constants.h"

namespace selvane::step_kernels {
namespace {  // one copy in each file built for its instruction set, as in step_lanes.h

template <class V>
typename V::Mask expLanesServe(typename V::Real x) {
    const typename V::Real magnitude = V::abs(x);
    return V::both(V::greaterEqual(magnitude, V::set1(0x1p-54)), V::less(magnitude, V::set1(512.0)));
}

template <class V>
typename V::Real expLanes(typename V::Real x) {
    using namespace exp_detail;
    using Real = typename V::Real;
    using Int = typename V::Int;
    Real kd = V::fmadd(V::set1(kInvLn2N), x, V::set1(kShift));
    const Int ki = V::asInt(kd);
    kd = V::sub(kd, V::set1(kShift));
    const Real r = V::fmadd(kd, V::set1(kNegLn2LoN), V::fmadd(kd, V::set1(kNegLn2HiN), x));
    const Int index = V::shiftLeft(V::andInt(ki, kTableSize - 1), 1);
    const Real tail = V::asReal(V::gather(kTable, index));
    const Int top = V::shiftLeft(ki, 52 - kTableBits);
    const Real scale = V::asReal(V::addInt(V::gather(kTable + 1, index), top));
    const Real r2 = V::mul(r, r);
    const Real tmp = V::fmadd(V::mul(r2, r2), V::fmadd(r, V::set1(kC5), V::set1(kC4)),
                              V::fmadd(r2, V::fmadd(r, V::set1(kC3), V::set1(kC2)), V::add(tail, r)));
    return V::fmadd(scale, tmp, scale);
}

// expLanes from memory to memory, for the tests; returns the lanes served as bits.
template <class V>
unsigned expLanesInMemory(const double* x, double* result) {
    const typename V::Real v = V::load(x);
    V::store(result, expLanes<V>(v));
    return V::bits(expLanesServe<V>(v));
}

}  // namespace
}  // namespace selvane::step_kernels
