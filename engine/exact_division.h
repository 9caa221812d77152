#pragma once
// a / b with the processor's own bits, from fused multiply-adds: several quotients by one b
// share one reciprocal, and each then costs four operations on the multiply-add pipes instead
// of a division. With y = RN(1/b) and a first quotient q within an ulp of a/b, the remainder
// r = a - b q is exact and q + r y rounds to RN(a/b) (Markstein). Lanes where the exponents
// could make a remainder inexact, or b's significand is all ones (where the reciprocal's last
// step can miss), take the processor's division. Included only by the files of each
// instruction set, with that set's Lanes.
#include <cstdint>

namespace selvane::step_kernels {
namespace {  // one copy in each file built for its instruction set, as in step_lanes.h

// Divisors and dividends in these ranges keep every product, remainder and quotient of the
// sequence far from overflow and from the subnormals, where the remainder is no longer exact.
constexpr double kDivisorLow = 0x1p-200, kDivisorHigh = 0x1p200;
constexpr double kDividendLow = 0x1p-400, kDividendHigh = 0x1p400;

// Which steps of the sequence run: all of them, except in the tests' controls.
enum class DivisionSteps { Whole, NoQuotientCorrection };

template <class V>
struct Divisor {
    typename V::Real b;
    typename V::Real y;     // RN(1/b) in the fast lanes
    typename V::Real yLow;  // about 1/b - y, so y + yLow is 1/b to twice the precision
    typename V::Mask fast;  // lanes where b lets the multiply-adds give the quotient
};

template <class V>
Divisor<V> divisorOf(typename V::Real b) {
    using Real = typename V::Real;
    const Real one = V::set1(1.0);
    typename V::Mask fast = V::both(V::greaterEqual(b, V::set1(kDivisorLow)), V::lessEqual(b, V::set1(kDivisorHigh)));
    Real y;
    if constexpr (V::kReciprocalEstimate) {
        y = V::reciprocalEstimate(b);              // 14 bits
        y = V::fmadd(y, V::fnmadd(b, y, one), y);  // 28
        y = V::fmadd(y, V::fnmadd(b, y, one), y);  // within an ulp
        // Rounds the reciprocal correctly, but for a significand of all ones.
        y = V::fmadd(y, V::fnmadd(b, y, one), y);
        fast = V::andNot(V::allOnesSignificand(b), fast);
    } else {
        y = V::div(one, b);
    }
    return {b, y, V::mul(y, V::fnmadd(b, y, one)), fast};
}

// Lanes whose dividend is in range (NaN is not).
template <class V>
typename V::Mask dividendFits(typename V::Real a) {
    const typename V::Real magnitude = V::abs(a);
    return V::both(V::greaterEqual(magnitude, V::set1(kDividendLow)), V::lessEqual(magnitude, V::set1(kDividendHigh)));
}

// RN(a / b) in every lane but the skipped ones, whose results mean nothing. The caller
// names the lanes that divide on the processor: at least every lane it needs that is not
// both in d.fast and in dividendFits.
template <class V, DivisionSteps kSteps = DivisionSteps::Whole>
typename V::Real quotient(typename V::Real a, const Divisor<V>& d, typename V::Mask slow) {
    typename V::Real q = V::fmadd(a, d.yLow, V::mul(a, d.y));  // within an ulp
    if constexpr (kSteps != DivisionSteps::NoQuotientCorrection) q = V::fmadd(V::fnmadd(d.b, q, a), d.y, q);
    if (V::bits(slow)) q = V::divWhere(slow, q, a, d.b);
    return q;
}

// One register of quotients from memory to memory, every lane needed; for the tests.
template <class V, DivisionSteps kSteps>
void divideSteps(const double* a, const double* b, double* q) {
    const typename V::Real dividend = V::load(a);
    const Divisor<V> d = divisorOf<V>(V::load(b));
    const typename V::Mask every = V::equal(V::set1(0.0), V::set1(0.0));
    const typename V::Mask fast = V::both(d.fast, dividendFits<V>(dividend));
    V::store(q, quotient<V, kSteps>(dividend, d, V::andNot(fast, every)));
}

template <class V>
void divideInMemory(const double* a, const double* b, double* q, int steps) {
    if (steps == 1)
        divideSteps<V, DivisionSteps::NoQuotientCorrection>(a, b, q);
    else
        divideSteps<V, DivisionSteps::Whole>(a, b, q);
}

}  // namespace
}  // namespace selvane::step_kernels
